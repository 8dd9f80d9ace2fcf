#include "script_name_rules.h"

#include <algorithm>
#include <cctype>
#include <initializer_list>

namespace panel_host {

namespace {

using nameList = std::initializer_list<const char*>;

// A group of names a project cannot build with, and why.
struct refusedNames {
    nameList names;
    const char* reason;
    bool ignoreCase;
};

const nameList cppKeywords = {
    "alignas",     "alignof",   "and",        "and_eq",    "asm",      "auto",         "bitand",
    "bitor",       "bool",      "break",      "case",      "catch",    "char",         "char8_t",
    "char16_t",    "char32_t",  "class",      "compl",     "concept",  "const",        "consteval",
    "constexpr",   "constinit", "const_cast", "continue",  "co_await", "co_return",    "co_yield",
    "decltype",    "default",   "delete",     "do",        "double",   "dynamic_cast", "else",
    "enum",        "explicit",  "export",     "extern",    "false",    "float",        "for",
    "friend",      "goto",      "if",         "inline",    "int",      "long",         "mutable",
    "namespace",   "new",       "noexcept",   "not",       "not_eq",   "nullptr",      "operator",
    "or",          "or_eq",     "private",    "protected", "public",   "register",     "reinterpret_cast",
    "requires",    "return",    "short",      "signed",    "sizeof",   "static",       "static_assert",
    "static_cast", "struct",    "switch",     "template",  "this",     "thread_local", "throw",
    "true",        "try",       "typedef",    "typeid",    "typename", "union",        "unsigned",
    "using",       "virtual",   "void",       "volatile",  "wchar_t",  "while",        "xor",
    "xor_eq"};

// The framework's names, and the project's own file src/module_entry.cpp.
const nameList frameworkNames = {"morv_script_helper",
                                 "morv_client_callback",
                                 "script_host",
                                 "morv_string",
                                 "morv_stringlist",
                                 "morv_stringlistIterator",
                                 "buttonNotify",
                                 "tallyNotify",
                                 "queryNotify",
                                 "opaqueNotify",
                                 "parsedMessage",
                                 "decodeMORVString",
                                 "load_morv_client_script",
                                 "main",
                                 "module_entry"};

// Targets CMake makes itself (with CTest and CPack, and in Visual Studio).
const nameList cmakeTargets = {"all",
                               "clean",
                               "help",
                               "install",
                               "test",
                               "package",
                               "package_source",
                               "edit_cache",
                               "rebuild_cache",
                               "list_install_components",
                               "preinstall",
                               "depend",
                               "ALL_BUILD",
                               "ZERO_CHECK",
                               "RUN_TESTS",
                               "INSTALL",
                               "PACKAGE",
                               "Continuous",
                               "Experimental",
                               "Nightly",
                               "NightlyMemoryCheck"};

// File names Windows reserves for devices, whatever the case.
const nameList windowsDevices = {"con",  "prn",  "aux",  "nul",  "com0", "com1", "com2", "com3",
                                 "com4", "com5", "com6", "com7", "com8", "com9", "lpt0", "lpt1",
                                 "lpt2", "lpt3", "lpt4", "lpt5", "lpt6", "lpt7", "lpt8", "lpt9"};

// Macros that GCC, Clang, MinGW or the C library define.
const nameList predefinedMacros = {
    "linux",        "unix",     "i386",       "WIN32",      "WINNT",         "NULL",       "EOF",
    "errno",        "assert",   "stdin",      "stdout",     "stderr",        "offsetof",   "alloca",
    "setjmp",       "va_arg",   "va_start",   "va_end",     "va_copy",       "BUFSIZ",     "EXIT_SUCCESS",
    "EXIT_FAILURE", "RAND_MAX", "MB_CUR_MAX", "BIG_ENDIAN", "LITTLE_ENDIAN", "BYTE_ORDER", "PDP_ENDIAN",
    "FILENAME_MAX", "TMP_MAX",  "SEEK_SET",   "SEEK_CUR",   "SEEK_END"};

// Namespaces and global functions of the C and C++ libraries that the
// framework's headers and <new> bring into a script's sources.
const nameList libraryNames = {
    "std",      "posix",     "abort",     "abs",      "atexit",  "atof",    "atoi",       "atol",    "atoll",
    "bsearch",  "calloc",    "div",       "exit",     "free",    "getenv",  "labs",       "ldiv",    "llabs",
    "lldiv",    "malloc",    "mblen",     "mbstowcs", "mbtowc",  "qsort",   "quick_exit", "rand",    "random",
    "realloc",  "srand",     "strtod",    "strtof",   "strtol",  "strtold", "strtoll",    "strtoul", "strtoull",
    "system",   "wcstombs",  "wctomb",    "bcmp",     "bcopy",   "bzero",   "ffs",        "index",   "rindex",
    "memchr",   "memcmp",    "memcpy",    "memmove",  "memset",  "strcat",  "strchr",     "strcmp",  "strcoll",
    "strcpy",   "strcspn",   "strdup",    "strerror", "strlen",  "strncat", "strncmp",    "strncpy", "strpbrk",
    "strrchr",  "strspn",    "strstr",    "strtok",   "strxfrm", "fclose",  "fflush",     "fgetc",   "fgets",
    "fopen",    "fprintf",   "fputc",     "fputs",    "fread",   "fscanf",  "fseek",      "ftell",   "fwrite",
    "getc",     "getchar",   "perror",    "printf",   "putc",    "putchar", "puts",       "remove",  "rename",
    "rewind",   "scanf",     "snprintf",  "sprintf",  "sscanf",  "tmpfile", "ungetc",     "vprintf", "vsnprintf",
    "vsprintf", "terminate", "unexpected"};

const refusedNames refusals[] = {
    {cppKeywords, "is a C++ keyword", false},
    {frameworkNames, "is already a name of the framework or the project", false},
    {cmakeTargets, "is a target name CMake reserves", false},
    {windowsDevices, "names a device on Windows", true},
    {predefinedMacros, "is a macro the compiler or the C library defines", false},
    {libraryNames, "is a name the C or C++ library declares", false},
};

bool isIdentifierStart(char c)
{
    return std::isalpha(static_cast<unsigned char>(c)) != 0 || c == '_';
}

bool isIdentifierPart(char c)
{
    return isIdentifierStart(c) || std::isdigit(static_cast<unsigned char>(c)) != 0;
}

bool sameName(const std::string& name, const char* other, bool ignoreCase)
{
    const std::string text = other;
    return ignoreCase ? std::equal(name.begin(), name.end(), text.begin(), text.end(),
                                   [](char a, char b) {
                                       return std::tolower(static_cast<unsigned char>(a)) ==
                                              std::tolower(static_cast<unsigned char>(b));
                                   })
                      : name == text;
}

bool isReserved(const std::string& name)
{
    const bool underscoreCapital =
        name.size() > 1 && name[0] == '_' && std::isupper(static_cast<unsigned char>(name[1])) != 0;
    const bool typeSuffix = name.size() > 2 && name.compare(name.size() - 2, 2, "_t") == 0;
    return underscoreCapital || typeSuffix || name.find("__") != std::string::npos;
}

}  // namespace

std::string scriptNameProblem(const std::string& name)
{
    if (name.empty()) {
        return "the name is empty";
    }
    if (name.size() > 64) {
        return "the name is longer than 64 characters";
    }
    if (!isIdentifierStart(name.front()) || !std::all_of(name.begin(), name.end(), isIdentifierPart)) {
        return "'" + name + "' is not a C++ identifier (letters, digits and '_', not starting with a digit)";
    }
    if (isReserved(name)) {
        return "'" + name +
               "' is reserved for the compiler and the C library (a leading '_' and capital, '__', or a '_t' ending)";
    }
    for (const refusedNames& group : refusals) {
        for (const char* refused : group.names) {
            if (sameName(name, refused, group.ignoreCase)) {
                return "'" + name + "' " + group.reason;
            }
        }
    }
    return "";
}

}  // namespace panel_host
