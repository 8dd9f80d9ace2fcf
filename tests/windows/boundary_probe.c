/* Drives a panel DLL the way a host built with the Microsoft toolchain does,
 * with no C++ ABI of its own: LoadLibrary and GetProcAddress for the export,
 * a host object whose hand-built table has send (thiscall) in entry 1, and
 * raw thiscall calls of the script's table entries 0 (scalar deleting
 * destructor) and 1 (notify). Every call into the DLL goes through one
 * assembly helper that also measures how far the call moved the stack.
 *
 * Usage: boundary_probe PANEL.DLL [--cycles N | --exhaust]
 *   (no option)  one script through start-up, events and destruction;
 *   --cycles N   N load/create/notify/destroy/unload cycles: the C runtime's
 *                heap in use and the next free TLS slot must not change;
 *   --exhaust    the export and notify with the heap nearly and then fully
 *                exhausted: the process keeps running, notify returns null,
 *                the export too once not a byte is left (nearly exhausted it
 *                may find room); once memory is back the script answers
 *                normally.
 * Prints one line per failed check and a closing "N passed, N failed" line;
 * exits 0 only when every check passed. */
#include <windows.h>

#include <malloc.h>
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
__asm__(
    ".text\n"
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
    /* "RN device kind index", read without sscanf: MinGW's allocates, and
     * the host must keep answering while the heap is exhausted. */
    if (strncmp(text, "RN ", 3) == 0) {
        char* end = NULL;
        strtol(text + 3, &end, 10);
        const long kind = strtol(end, &end, 10);
        const long index = strtol(end, &end, 10);
        char name[64];
        snprintf(name, sizeof name, "%s %ld", kind == 0 ? "Source" : "Destination", index);
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
    const uintptr_t args[2] = {(uintptr_t)&the_host, (uintptr_t) ""};
    intptr_t moved = 0;
    void* script = (void*)probe_call((const void*)load, NULL, 2, args, &moved);
    check(moved == -8, "load_morv_client_script is cdecl: the caller pops its arguments");
    return script;
}

/* ---- The run ------------------------------------------------------------- */

static void run_panel(load_function load)
{
    static const char* const startup[] = {"PS '1' 'p1.morv_ui'", "CD '1' 'Take'", "SD 'B4 Audio Router'",
                                          "RR 1 1 64",           "RP 1 1 64",     NULL};
    static const char* const choose_source[] = {"TP 'text=5' '1' 'New'", "RN 1 0 5",
                                                "TP 'text=Source 5' '1' 'NewSrcName'", NULL};
    static const char* const choose_destination[] = {
        "TP 'text=7' '1' 'Did'", "RN 1 1 7",  "TP 'text=Destination 7' '1' 'DestName'",
        "TP 'text=7' '1' 'Old'", "RN 1 0 7",  "TP 'text=Source 7' '1' 'OldSrcName'",
        "CE '1' 'Take'",         "ET 1 1000", NULL};
    static const char* const tick[] = {"TP 'statesheet=QF_TakeLow' '1' 'Take'", NULL};
    static const char* const take[] = {"TP 'statesheet=QF_TakeHigh' '1' 'Take'",
                                       "CD '1' 'Take'",
                                       "ET 1",
                                       "RC 1 5 7 ',' 0",
                                       "TP 'select=-1' '1' 'Sources'",
                                       "TP 'select=-1' '1' 'Destinations'",
                                       "TP 'text=-' '1' 'Old'",
                                       "TP 'text=-' '1' 'New'",
                                       "TP 'text=-' '1' 'Did'",
                                       "TP 'text=---' '1' 'OldSrcName'",
                                       "TP 'text=---' '1' 'NewSrcName'",
                                       "TP 'text=---' '1' 'DestName'",
                                       NULL};
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

/* ---- Load and unload cycles ------------------------------------------------ */

/* Bytes of the C runtime's heap in use (the heap every DLL here allocates
 * from through msvcrt.dll). */
static size_t heap_in_use(void)
{
    _HEAPINFO entry;
    entry._pentry = NULL;
    size_t used = 0;
    while (_heapwalk(&entry) == _HEAPOK) {
        if (entry._useflag == _USEDENTRY) {
            used += entry._size;
        }
    }
    return used;
}

/* The TLS slot the next TlsAlloc would give: it moves up when a DLL keeps one. */
static DWORD next_tls_slot(void)
{
    DWORD slot = TlsAlloc();
    TlsFree(slot);
    return slot;
}

static load_function entry_of(HMODULE module)
{
    return module == NULL ? NULL : (load_function)(void*)GetProcAddress(module, "load_morv_client_script");
}

/* One script's life: start-up, a tally, two choices, a tick, a query, Take,
 * destruction. */
static void use_script(void* script)
{
    struct probe_tally tally = {1, 0, 7, 7, "Source 7"};
    notify(script, (uintptr_t)&tally, 1, "tally");
    button(script, "Sources", "select", "5", "choose source 5");
    button(script, "Destinations", "select", "7", "choose destination 7");
    notify(script, 1, 4, "tick of timer 1");
    uintptr_t reply = notify(script, (uintptr_t) "return=all", 3, "query");
    notify(script, reply, 5, "give back the query reply");
    button(script, "Take", "press", "1", "press Take");
    delete_script(script, 1u);
    reset_commands();
}

static void cycle(const char* path)
{
    HMODULE module = LoadLibraryExA(path, NULL, LOAD_WITH_ALTERED_SEARCH_PATH);
    load_function load = entry_of(module);
    void* script = load != NULL ? load_script(load) : NULL;
    check(script != NULL, "every cycle loads the DLL and creates a script");
    if (script != NULL) {
        use_script(script);
    }
    if (module != NULL) {
        FreeLibrary(module);
    }
}

static void run_cycles(const char* path, int cycles)
{
    for (int i = 0; i < 3; ++i) { /* the C runtime's and wine's own first-use allocations */
        cycle(path);
    }
    const size_t heap_before = heap_in_use();
    const DWORD tls_before = next_tls_slot();
    for (int i = 0; i < cycles; ++i) {
        cycle(path);
    }
    const size_t heap_after = heap_in_use();
    const DWORD tls_after = next_tls_slot();
    printf("boundary_probe: %s: %d cycles: heap in use %lu -> %lu bytes (%+ld), next TLS slot %lu -> %lu\n", dll_name,
           cycles, (unsigned long)heap_before, (unsigned long)heap_after, (long)heap_after - (long)heap_before,
           (unsigned long)tls_before, (unsigned long)tls_after);
    check(heap_after == heap_before, "load/unload cycles leave the heap in use unchanged");
    check(tls_after == tls_before, "load/unload cycles keep no TLS slot");
}

/* ---- Exhaustion ------------------------------------------------------------- */

/* Every block malloc gave while exhausting, chained through their first word
 * (blocks smaller than a pointer are kept in `tiny`). */
struct hoarded {
    struct hoarded* next;
};
static struct hoarded* hoard;
static void* tiny[4096];
static int tiny_count;
static unsigned long long hoarded_bytes; /* taken by the first exhaustion */

/* Allocates until malloc fails for every size down to one byte. */
static void exhaust_heap(void)
{
    for (size_t size = (size_t)1 << 26; size >= sizeof(struct hoarded); size /= 2) {
        for (struct hoarded* block; (block = malloc(size)) != NULL;) {
            block->next = hoard;
            hoard = block;
            hoarded_bytes += size;
        }
    }
    while (tiny_count < 4096 && (tiny[tiny_count] = malloc(1)) != NULL) {
        ++tiny_count;
    }
}

/* Frees the last `count` blocks taken (the smallest): nearly exhausted. */
static void free_last_blocks(int count)
{
    while (tiny_count > 0 && count-- > 0) {
        free(tiny[--tiny_count]);
    }
    for (; hoard != NULL && count-- > 0;) {
        struct hoarded* next = hoard->next;
        free(hoard);
        hoard = next;
    }
}

static void free_hoard(void)
{
    free_last_blocks(INT32_MAX);
}

/* The export and a button, a tally and two queries on `script`: a bit for
 * each of the five calls that returned something other than null, in that
 * order from bit 0 (the export's script is destroyed). The probe's host copies what it can and answers null when it
 * cannot. */
static int non_null_answers(load_function load, void* script)
{
    int answers = 0;
    void* fresh = load_script(load);
    if (fresh != NULL) {
        answers |= 1;
        delete_script(fresh, 1u);
    }
    struct probe_message message;
    memset(&message, 0, sizeof message);
    message.name = "select";
    message.value = "9";
    for (int i = 0; i < 32; ++i) {
        message.parts[i] = "";
    }
    struct probe_button record = {NULL, NULL, "1", "Sources", &message};
    answers |= (notify(script, (uintptr_t)&record, 2, "a button while exhausted") != 0) << 1;
    struct probe_tally tally = {1, 0, 9, 3, "Source 3"};
    answers |= (notify(script, (uintptr_t)&tally, 1, "a tally while exhausted") != 0) << 2;
    answers |= (notify(script, (uintptr_t) "return=all", 3, "a query while exhausted") != 0) << 3;
    answers |= (notify(script, (uintptr_t) "_events", 3, "another query while exhausted") != 0) << 4;
    return answers;
}

/* The commands a fresh script sends when source 5 is chosen, as a list of
 * NULL-terminated copies (the answer any script of the DLL gives). */
static char* choice_commands[MAX_COMMANDS + 1];

static void record_choice(load_function load)
{
    void* script = load_script(load);
    if (script == NULL) {
        return;
    }
    reset_commands();
    button(script, "Sources", "select", "5", "choose source 5");
    for (int i = 0; i < the_host.command_count; ++i) {
        choice_commands[i] = copy_text(the_host.commands[i]);
    }
    delete_script(script, 1u);
    reset_commands();
}

static void run_exhaustion(load_function load)
{
    record_choice(load);
    void* script = load_script(load);
    check(script != NULL, "a script loads before the heap is exhausted");
    if (script == NULL) {
        return;
    }
    exhaust_heap();
    const unsigned long long first = hoarded_bytes;
    free_last_blocks(8);
    const int nearly = non_null_answers(load, script);
    exhaust_heap();
    hoarded_bytes = first;
    const int fully = non_null_answers(load, script);
    free_hoard();
    reset_commands();

    printf(
        "boundary_probe: %s: %llu MB taken; calls answered while nearly / fully exhausted (bits: export, "
        "button, tally, two queries): 0x%x / 0x%x\n",
        dll_name, hoarded_bytes >> 20, nearly, fully);
    /* Nearly exhausted, the export may still find room for a script (which
     * is then destroyed at once); notify has nothing to answer either way. */
    check((nearly & ~1) == 0, "with the heap nearly exhausted notify returns null");
    check(fully == 0, "with the heap exhausted the export and notify return null");
    void* fresh = load_script(load);
    check(fresh != NULL, "once memory is back the export creates a script");
    if (fresh != NULL) {
        delete_script(fresh, 1u);
    }
    reset_commands();
    button(script, "Sources", "select", "5", "choose source 5 once memory is back");
    check(sent_exactly((const char* const*)choice_commands),
          "once memory is back the script answers as a fresh one does");
    delete_script(script, 1u);
    reset_commands();
}

int main(int argc, char** argv)
{
    int cycles = 0;
    int exhaust = argc == 3 && strcmp(argv[2], "--exhaust") == 0;
    if (argc == 4 && strcmp(argv[2], "--cycles") == 0) {
        cycles = atoi(argv[3]);
    }
    if (argc < 2 || (argc > 2 && !exhaust && cycles <= 0)) {
        fprintf(stderr, "usage: boundary_probe PANEL.DLL [--cycles N | --exhaust]\n");
        return 2;
    }
    dll_name = argv[1];
    the_host.table = host_table;

    if (cycles > 0) {
        run_cycles(argv[1], cycles);
        printf("boundary_probe: %s: %d passed, %d failed\n", dll_name, passed, failed);
        return failed == 0 ? 0 : 1;
    }
    /* The DLLs it imports are looked for beside it first. */
    HMODULE module = LoadLibraryExA(argv[1], NULL, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (module == NULL) {
        printf("boundary_probe: LoadLibrary error %lu\n", (unsigned long)GetLastError());
    }
    check(module != NULL, "LoadLibrary loads the DLL");
    if (module != NULL) {
        load_function entry = entry_of(module);
        check(entry != NULL, "GetProcAddress finds the undecorated load_morv_client_script");
        if (entry != NULL && exhaust) {
            run_exhaustion(entry);
        } else if (entry != NULL) {
            run_panel(entry);
        }
        reset_commands();
        FreeLibrary(module);
    }
    printf("boundary_probe: %s: %d passed, %d failed\n", dll_name, passed, failed);
    return failed == 0 ? 0 : 1;
}
