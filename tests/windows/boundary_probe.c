/* Drives a panel DLL the way a host built with the Microsoft toolchain does,
 * with no C++ ABI of its own: LoadLibrary and GetProcAddress for the export,
 * a host object whose hand-built table has send (thiscall) in entry 1, and
 * raw thiscall calls of the script's table entries 0 (scalar deleting
 * destructor) and 1 (notify). Every call into the DLL goes through one
 * assembly helper that also measures how far the call moved the stack.
 *
 * Usage: boundary_probe PANEL.DLL
 * Prints one line per failed check and a closing "N passed, N failed" line;
 * exits 0 only when every check passed. */
#include <windows.h>

#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

/* ---- Calls into the DLL --------------------------------------------------- */

/* uintptr_t probe_call(const void* fn, void* self, int argc,
 *                      const uintptr_t* args, intptr_t* moved)   (cdecl)
 * Pushes args[argc-1] .. args[0], loads self into ECX, calls fn and returns
 * EAX. *moved is ESP after the call minus ESP before the pushes: 0 when the
 * callee popped its arguments (thiscall, stdcall), -4 * argc when it left
 * them to the caller (cdecl). ESP is restored either way. */
__asm__(".text\n"
        ".globl _probe_call\n"
        "_probe_call:\n"
        "  pushl %ebp\n"
        "  movl %esp, %ebp\n"
        "  pushl %esi\n"
        "  pushl %edi\n"
        "  pushl %ebx\n"
        "  movl 16(%ebp), %ecx\n"
        "  movl 20(%ebp), %edx\n"
        "  movl %esp, %esi\n"
        "1:\n"
        "  testl %ecx, %ecx\n"
        "  jz 2f\n"
        "  pushl -4(%edx,%ecx,4)\n"
        "  decl %ecx\n"
        "  jmp 1b\n"
        "2:\n"
        "  movl 12(%ebp), %ecx\n"
        "  call *8(%ebp)\n"
        "  movl %esp, %edx\n"
        "  subl %esi, %edx\n"
        "  movl %esi, %esp\n"
        "  movl 24(%ebp), %ecx\n"
        "  movl %edx, (%ecx)\n"
        "  popl %ebx\n"
        "  popl %edi\n"
        "  popl %esi\n"
        "  popl %ebp\n"
        "  ret\n");
uintptr_t probe_call(const void* fn, void* self, int argc, const uintptr_t* args, intptr_t* moved);

/* ---- Results -------------------------------------------------------------- */

static int passed;
static int failed;
static const char* dll_name = "";

static void check(int ok, const char* what)
{
    if (ok) {
        ++passed;
    } else {
        ++failed;
        printf("boundary_probe: %s: FAIL: %s\n", dll_name, what);
    }
}

/* ---- The host object ------------------------------------------------------ */

#define MAX_COMMANDS 256
#define MAX_REPLIES 64

struct probe_host {
    const void* const* table; /* entry 0: reserved, entry 1: send */
    int command_count;
    char* commands[MAX_COMMANDS]; /* code 0 texts, in order */
    char* replies[MAX_REPLIES];   /* replies handed out and not yet given back */
    int wrong_this;               /* send called with another object in ECX */
    int wrong_give_back;          /* code 5 with a pointer never handed out or given back twice */
    int wrong_code;               /* a code other than 0 and 5 */
};

static char* copy_text(const char* text)
{
    size_t length = strlen(text);
    char* copy = malloc(length + 1);
    if (copy != NULL) {
        memcpy(copy, text, length + 1);
    }
    return copy;
}

static const char* hand_out(struct probe_host* host, const char* reply)
{
    for (int i = 0; i < MAX_REPLIES; ++i) {
        if (host->replies[i] == NULL) {
            host->replies[i] = copy_text(reply);
            return host->replies[i];
        }
    }
    return NULL;
}

static void give_back(struct probe_host* host, const char* reply)
{
    if (reply == NULL) {
        return;
    }
    for (int i = 0; i < MAX_REPLIES; ++i) {
        if (host->replies[i] == reply) {
            free(host->replies[i]);
            host->replies[i] = NULL;
            return;
        }
    }
    ++host->wrong_give_back;
}

static int outstanding_replies(const struct probe_host* host)
{
    int count = 0;
    for (int i = 0; i < MAX_REPLIES; ++i) {
        count += host->replies[i] != NULL;
    }
    return count;
}

static struct probe_host the_host;

/* Answers for commands whose reply the script ignores; never given back. */
static const char ignored_reply[] = "OK";

static void __attribute__((thiscall)) host_reserved(struct probe_host* self)
{
    (void)self;
}

static const char* __attribute__((thiscall)) host_send(struct probe_host* self, const char* text, int32_t code)
{
    if (self != &the_host) {
        ++the_host.wrong_this;
        return NULL;
    }
    if (code == 5) {
        give_back(self, text);
        return NULL;
    }
    if (code != 0 || text == NULL) {
        ++self->wrong_code;
        return NULL;
    }
    if (self->command_count < MAX_COMMANDS) {
        self->commands[self->command_count++] = copy_text(text);
    }
    if (strncmp(text, "SD ", 3) == 0) {
        return hand_out(self, "1 'B4 Audio Router'");
    }
    int device = 0, kind = 0, index = 0;
    if (sscanf(text, "RN %d %d %d", &device, &kind, &index) == 3) {
        char name[64];
        snprintf(name, sizeof name, "%s %d", kind == 0 ? "Source" : "Destination", index);
        return hand_out(self, name);
    }
    return ignored_reply;
}

static const void* const host_table[] = {(const void*)host_reserved, (const void*)host_send};

static void reset_commands(void)
{
    for (int i = 0; i < the_host.command_count; ++i) {
        free(the_host.commands[i]);
    }
    the_host.command_count = 0;
}

/* True when the commands sent since the last reset are exactly `expected`
 * (a NULL-terminated list); prints both sequences when not. */
static int sent_exactly(const char* const* expected)
{
    int count = 0;
    while (expected[count] != NULL) {
        ++count;
    }
    int same = count == the_host.command_count;
    for (int i = 0; same && i < count; ++i) {
        same = strcmp(expected[i], the_host.commands[i]) == 0;
    }
    if (!same) {
        printf("  wanted:\n");
        for (int i = 0; i < count; ++i) {
            printf("    %s\n", expected[i]);
        }
        printf("  got:\n");
        for (int i = 0; i < the_host.command_count; ++i) {
            printf("    %s\n", the_host.commands[i]);
        }
    }
    return same;
}

/* ---- The script object ---------------------------------------------------- */

/* The host's button record and the event's split text, 32-bit layout. */
struct probe_message {
    const char* name;
    const char* parts[32];
    const char* value;
    int32_t count;
    uint8_t has_value;
    char* buffer;
};

struct probe_tally {
    int32_t device;
    int32_t reserved;
    int32_t index;
    int32_t value;
    char text[16];
};

struct probe_button {
    const void* reserved0;
    const void* reserved1;
    const char* panel;
    const char* control;
    const struct probe_message* event;
};

static const void* table_entry(void* script, int entry)
{
    const void* const* table = *(const void* const* const*)script;
    return table[entry];
}

static uintptr_t notify(void* script, uintptr_t payload, int32_t code, const char* what)
{
    const uintptr_t args[2] = {payload, (uintptr_t)code};
    intptr_t moved = 0;
    uintptr_t result = probe_call(table_entry(script, 1), script, 2, args, &moved);
    char label[160];
    snprintf(label, sizeof label, "notify (%s) pops its 8 bytes of arguments (moved %d)", what, (int)moved);
    check(moved == 0, label);
    return result;
}

static void button(void* script, const char* control, const char* name, const char* value, const char* what)
{
    struct probe_message message;
    memset(&message, 0, sizeof message);
    message.name = name;
    for (int i = 0; i < 32; ++i) {
        message.parts[i] = "";
    }
    message.value = value;
    message.has_value = 1;
    struct probe_button record = {NULL, NULL, "1", control, &message};
    check(notify(script, (uintptr_t)&record, 2, what) == 0, "a button notification returns null");
}

static uintptr_t delete_script(void* script, unsigned flags)
{
    const uintptr_t args[1] = {flags};
    intptr_t moved = 0;
    uintptr_t result = probe_call(table_entry(script, 0), script, 1, args, &moved);
    check(moved == 0, "the scalar deleting destructor pops its 4 bytes of arguments");
    return result;
}

typedef void* (*load_function)(void* host, const char* path);

static void* load_script(load_function load)
{
    const uintptr_t args[2] = {(uintptr_t)&the_host, (uintptr_t)""};
    intptr_t moved = 0;
    void* script = (void*)probe_call((const void*)load, NULL, 2, args, &moved);
    check(moved == -8, "load_morv_client_script is cdecl: the caller pops its arguments");
    return script;
}

/* ---- The run ------------------------------------------------------------- */

static void run_panel(load_function load)
{
    static const char* const startup[] = {"PS '1' 'p1.morv_ui'", "CD '1' 'Take'", "SD 'B4 Audio Router'",
                                          "RR 1 1 64", "RP 1 1 64", NULL};
    static const char* const choose_source[] = {"TP 'text=5' '1' 'New'", "RN 1 0 5",
                                                "TP 'text=Source 5' '1' 'NewSrcName'", NULL};
    static const char* const choose_destination[] = {
        "TP 'text=7' '1' 'Did'", "RN 1 1 7", "TP 'text=Destination 7' '1' 'DestName'",
        "TP 'text=7' '1' 'Old'", "RN 1 0 7", "TP 'text=Source 7' '1' 'OldSrcName'",
        "CE '1' 'Take'", "ET 1 1000", NULL};
    static const char* const tick[] = {"TP 'statesheet=QF_TakeLow' '1' 'Take'", NULL};
    static const char* const take[] = {
        "TP 'statesheet=QF_TakeHigh' '1' 'Take'", "CD '1' 'Take'", "ET 1", "RC 1 5 7 ',' 0",
        "TP 'select=-1' '1' 'Sources'", "TP 'select=-1' '1' 'Destinations'", "TP 'text=-' '1' 'Old'",
        "TP 'text=-' '1' 'New'", "TP 'text=-' '1' 'Did'", "TP 'text=---' '1' 'OldSrcName'",
        "TP 'text=---' '1' 'NewSrcName'", "TP 'text=---' '1' 'DestName'", NULL};
    static const char* const nothing[] = {NULL};
    static const char* const closing[] = {"AS", NULL};

    void* script = load_script(load);
    check(script != NULL, "load_morv_client_script returns a script");
    if (script == NULL) {
        return;
    }
    check(sent_exactly(startup), "start-up sends PS, CD, SD, RR, RP");

    /* The router reports source 7 on destination 7. */
    reset_commands();
    struct probe_tally tally = {1, 0, 7, 7, "Source 7"};
    check(notify(script, (uintptr_t)&tally, 1, "tally") == 0, "a tally returns null");
    check(sent_exactly(nothing), "a tally sends nothing");

    reset_commands();
    button(script, "Sources", "select", "5", "choose source 5");
    check(sent_exactly(choose_source), "choosing source 5 shows it with its name");

    reset_commands();
    button(script, "Destinations", "select", "7", "choose destination 7");
    check(sent_exactly(choose_destination), "choosing destination 7 shows it and arms Take");

    reset_commands();
    check(notify(script, 1, 4, "tick of timer 1") == 0, "a tick returns null");
    check(sent_exactly(tick), "a tick of timer 1 flashes Take");

    reset_commands();
    button(script, "Take", "press", "1", "press Take");
    check(sent_exactly(take), "pressing Take routes 5 to 7 and resets the panel");

    reset_commands();
    check(notify(script, (uintptr_t)0xdeadbeefu, 99, "unknown code 99") == 0, "an unknown code returns null");
    check(sent_exactly(nothing), "an unknown code sends nothing");

    reset_commands();
    check(delete_script(script, 1u) == (uintptr_t)script, "the deleting destructor returns this");
    check(sent_exactly(closing), "destruction sends AS last");

    /* Bit 0 clear: destroyed in place, not freed (the probe leaks it). Other
     * bits are ignored. */
    script = load_script(load);
    check(script != NULL, "a second script loads");
    if (script != NULL) {
        reset_commands();
        check(delete_script(script, 0u) == (uintptr_t)script, "destruction without freeing returns this");
        check(sent_exactly(closing), "destruction without freeing sends AS");
    }
    script = load_script(load);
    if (script != NULL) {
        reset_commands();
        check(delete_script(script, 0xFFFFFFFFu) == (uintptr_t)script, "flags beyond bit 0 are ignored");
        check(sent_exactly(closing), "destruction with all flag bits sends AS");
    }

    check(the_host.wrong_this == 0, "send is called with the host object in ECX (thiscall)");
    check(the_host.wrong_code == 0, "the script sends only codes 0 and 5");
    check(the_host.wrong_give_back == 0, "every give-back is of a reply handed out and not yet given back");
    check(outstanding_replies(&the_host) == 0, "every SD and RN reply comes back with code 5");
}

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: boundary_probe PANEL.DLL\n");
        return 2;
    }
    dll_name = argv[1];
    the_host.table = host_table;

    /* The DLLs it imports are looked for beside it first. */
    HMODULE module = LoadLibraryExA(argv[1], NULL, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (module == NULL) {
        printf("boundary_probe: LoadLibrary error %lu\n", (unsigned long)GetLastError());
    }
    check(module != NULL, "LoadLibrary loads the DLL");
    if (module != NULL) {
        FARPROC entry = GetProcAddress(module, "load_morv_client_script");
        check(entry != NULL, "GetProcAddress finds the undecorated load_morv_client_script");
        if (entry != NULL) {
            run_panel((load_function)(void*)entry);
        }
        reset_commands();
        FreeLibrary(module);
    }
    printf("boundary_probe: %s: %d passed, %d failed\n", dll_name, passed, failed);
    return failed == 0 ? 0 : 1;
}
