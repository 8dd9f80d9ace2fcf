#include "trace_settings.h"

#include "debug_output.h"
#include "text_builder.h"

#include <stdio.h>
#include <string.h>

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// The text between `begin` and `end` without blanks around it, in place.
char* trimmed(char* begin, char* end)
{
    while (begin < end && isBlank(*begin)) {
        ++begin;
    }
    while (end > begin && isBlank(end[-1])) {
        --end;
    }
    *end = '\0';
    return begin;
}

bool readCap(const char* text, uint32_t& cap)
{
    uint32_t value = 0;
    if (*text == '\0') {
        return false;
    }
    for (const char* at = text; *at != '\0'; ++at) {
        if (*at < '0' || *at > '9' || value > 214748364u) {
            return false;
        }
        value = value * 10u + static_cast<uint32_t>(*at - '0');
    }
    if (value < 1024u || value > 2147483647u) {
        return false;
    }
    cap = value;
    return true;
}

bool copyPath(const char* value, char* into)
{
    const size_t length = strlen(value);
    if (length == 0 || length >= traceSettingPathSize) {
        return false;
    }
    memcpy(into, value, length + 1);
    return true;
}

void reportBadLine(const char* path, uint32_t line, const char* problem)
{
    char buffer[traceSettingPathSize + 128];
    textBuilder message(buffer, sizeof buffer);
    message.add("morv trace: ").add(path).add(":").addDecimal(line).add(": ").add(problem).add("; the default applies");
    writeDebugOutput(message.text());
}

// One line of the file; null when it is understood, else the problem.
const char* applyLine(char* line, traceSettings& settings)
{
    char* const end = line + strlen(line);
    char* const text = trimmed(line, end);
    if (*text == '\0' || *text == '#') {
        return nullptr;
    }
    char* const textEnd = text + strlen(text);
    char* const equals = strchr(text, '=');
    if (equals == nullptr) {
        return "not a key=value line";
    }
    const char* const key = trimmed(text, equals);
    const char* const value = trimmed(equals + 1, textEnd);
    if (strcmp(key, "module") == 0) {
        return copyPath(value, settings.module) ? nullptr : "bad module path";
    }
    if (strcmp(key, "folder") == 0) {
        return copyPath(value, settings.folder) ? nullptr : "bad folder path";
    }
    if (strcmp(key, "file") == 0) {
        return copyPath(value, settings.file) ? nullptr : "bad file path";
    }
    if (strcmp(key, "cap") == 0) {
        return readCap(value, settings.cap) ? nullptr : "cap is not a number of bytes from 1024 to 2147483647";
    }
    return "unknown key";
}

}  // namespace

bool readTraceSettings(const char* path, traceSettings& settings)
{
    settings.module[0] = '\0';
    settings.folder[0] = '\0';
    settings.file[0] = '\0';
    settings.cap = defaultTraceCap;
    FILE* const file = fopen(path, "rb");
    if (file == nullptr) {
        return false;
    }
    static char line[traceSettingPathSize + 64];
    for (uint32_t number = 1; fgets(line, sizeof line, file) != nullptr; ++number) {
        const size_t length = strlen(line);
        if (length == sizeof line - 1 && line[length - 1] != '\n') {
            reportBadLine(path, number, "line too long");
            int c = 0;
            while ((c = fgetc(file)) != EOF && c != '\n') {
            }
            continue;
        }
        const char* const problem = applyLine(line, settings);
        if (problem != nullptr) {
            reportBadLine(path, number, problem);
        }
    }
    // Read only: closing it cannot lose anything.
    (void)fclose(file);
    return true;
}
