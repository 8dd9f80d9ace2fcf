#include "tracing_module.h"

#include "debug_output.h"
#include "platform.h"
#include "text_builder.h"
#include "trace_file.h"
#include "trace_format.h"
#include "trace_settings.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

constexpr size_t pathSize = traceSettingPathSize;

// Zero-initialised static storage: nothing runs at load or unload.
struct moduleState {
    bool started;
    void* innerLibrary;
    morvEntryPoint innerEntry;
    char ownPath[pathSize];
    // The folder the environment names (traceFolderVariable); empty: none.
    char environmentFolder[pathSize];
    char innerPath[pathSize];
    char tracePath[pathSize];
    traceSettings settings;
};
moduleState state;

bool isSeparator(char c)
{
    return c == '/' || c == '\\';
}

bool isAbsolute(const char* path)
{
    return isSeparator(path[0]) || (path[0] != '\0' && path[1] == ':');
}

// The parts of the module's own path: folder (with its separator), stem, and
// extension (with its dot; empty when none).
struct ownPathParts {
    size_t folderLength;
    size_t stemLength;
    const char* extension;
};

ownPathParts splitOwnPath(const char* path)
{
    size_t folderLength = 0;
    for (size_t i = 0; path[i] != '\0'; ++i) {
        if (isSeparator(path[i])) {
            folderLength = i + 1;
        }
    }
    const char* const name = path + folderLength;
    const char* const dot = strrchr(name, '.');
    const char* const extension = dot != nullptr && dot != name ? dot : name + strlen(name);
    return {folderLength, static_cast<size_t>(extension - name), extension};
}

// `path` as given when absolute, else taken from the module's folder.
void addResolved(textBuilder& into, const char* path, const ownPathParts& parts)
{
    if (!isAbsolute(path)) {
        into.add(state.ownPath, parts.folderLength);
    }
    into.add(path);
}

void addInFolder(textBuilder& into, const ownPathParts& parts, const char* name, size_t nameLength)
{
    const char* const folder = state.environmentFolder[0] != '\0' ? state.environmentFolder : state.settings.folder;
    if (folder[0] != '\0') {
        addResolved(into, folder, parts);
        if (into.length() != 0 && !isSeparator(into.text()[into.length() - 1])) {
            const char separator[1] = {pathSeparator};
            into.add(separator, 1);
        }
    } else {
        into.add(state.ownPath, parts.folderLength);
    }
    into.add(name, nameLength);
}

bool fileExists(const char* path)
{
    FILE* const file = fopen(path, "rb");
    if (file != nullptr) {
        (void)fclose(file);  // opened for reading only
    }
    return file != nullptr;
}

// A trace name not yet taken: <stem>-<pid>.trace, then -2, -3 ...
void chooseTracePath(textBuilder& path, const ownPathParts& parts)
{
    if (state.settings.file[0] != '\0' && state.environmentFolder[0] == '\0') {
        addResolved(path, state.settings.file, parts);
        return;
    }
    addInFolder(path, parts, state.ownPath + parts.folderLength, parts.stemLength);
    path.add("-").addDecimal(currentProcessId());
    const size_t base = path.length();
    for (uint32_t attempt = 1; attempt <= 1000u; ++attempt) {
        path.truncate(base);
        if (attempt > 1u) {
            path.add("-").addDecimal(attempt);
        }
        path.add(".trace");
        if (!fileExists(path.text())) {
            return;
        }
    }
}

void announce(const char* first, const char* path, const char* second)
{
    char buffer[2 * pathSize];
    textBuilder message(buffer, sizeof buffer);
    message.add("morv trace: ").add(first).add(path).add(second);
    writeDebugOutput(message.text());
}

void openTrace(const ownPathParts& parts)
{
    textBuilder path(state.tracePath, sizeof state.tracePath);
    chooseTracePath(path, parts);
    char reasonBuffer[160];
    textBuilder reason(reasonBuffer, sizeof reasonBuffer);
    if (path.overflowed()) {
        announce("the trace's path is too long: ", path.text(), "; the module runs untraced");
    } else if (!startTraceFile(path.text(), state.settings.cap, reason)) {
        announce("cannot write the trace ", path.text(), "; the module runs untraced");
        writeDebugOutput(reason.text());
    } else {
        announce("tracing to ", path.text(), "");
    }
}

void loadInner()
{
    char reasonBuffer[512];
    textBuilder reason(reasonBuffer, sizeof reasonBuffer);
    void* library = nullptr;
    if (state.innerPath[0] == '\0') {
        reason.add("the path is too long");
    } else {
        library = openLibrary(state.innerPath, reason);
    }
    void* const found = library != nullptr ? librarySymbol(library, MORV_ENTRY_POINT_NAME) : nullptr;
    if (library != nullptr && found == nullptr) {
        reason.add("it has no export " MORV_ENTRY_POINT_NAME);
        closeLibrary(library);
        library = nullptr;
    }
    if (library == nullptr) {
        const traceField fields[] = {fieldText(state.innerPath), fieldText(reason.text())};
        traceEvent(0, traceEventWord::innerFailed, fields, 2);
        announce("cannot load the traced module ", state.innerPath, ":");
        writeDebugOutput(reason.text());
        return;
    }
    state.innerLibrary = library;
    memcpy(&state.innerEntry, &found, sizeof state.innerEntry);
    const traceField field = fieldText(state.innerPath);
    traceEvent(0, traceEventWord::innerLoaded, &field, 1);
}

// The settings file beside the module; where it was looked for goes to the
// debug output, found or not.
void readSettings(const ownPathParts& parts)
{
    char buffer[pathSize];
    textBuilder path(buffer, sizeof buffer);
    path.add(state.ownPath, parts.folderLength + parts.stemLength).add(".trace.conf");
    const bool read = readTraceSettings(buffer, state.settings);
    announce("settings: ", buffer, read ? " (read)" : " (none there: the defaults apply)");
}

void readEnvironmentFolder()
{
    textBuilder folder(state.environmentFolder, sizeof state.environmentFolder);
    folder.add(getenv(traceFolderVariable));
    if (folder.overflowed()) {
        state.environmentFolder[0] = '\0';
    } else if (folder.length() != 0) {
        // Made when it is not there yet (panel-host validate names one).
        const bool there = makeFolder(folder.text());
        char buffer[2 * pathSize];
        textBuilder message(buffer, sizeof buffer);
        message.add("morv trace: ").add(traceFolderVariable).add(" names the trace's folder: ").add(folder.text());
        writeDebugOutput(message.add(there ? "" : " (it cannot be made)").text());
    }
}

void start()
{
    textBuilder own(state.ownPath, sizeof state.ownPath);
    if (!ownModulePath(own)) {
        state.ownPath[0] = '\0';
    }
    const ownPathParts parts = splitOwnPath(state.ownPath);

    readSettings(parts);
    readEnvironmentFolder();

    textBuilder inner(state.innerPath, sizeof state.innerPath);
    if (state.settings.module[0] != '\0') {
        addResolved(inner, state.settings.module, parts);
    } else {
        inner.add(state.ownPath, parts.folderLength + parts.stemLength).add(".traced").add(parts.extension);
    }
    if (inner.overflowed()) {
        state.innerPath[0] = '\0';
    }

    openTrace(parts);
    const traceField fields[] = {
        fieldKey(traceKey::module), fieldText(state.ownPath),
        fieldKey(traceKey::inner),  fieldText(state.innerPath),
        fieldKey(traceKey::pid),    fieldInteger(static_cast<intptr_t>(currentProcessId())),
        fieldKey(traceKey::cap),    fieldInteger(static_cast<intptr_t>(state.settings.cap)),
        fieldKey(traceKey::clock),  fieldWord(traceOnHostClock() ? traceWord::hostClock : traceWord::systemClock)};
    traceEvent(0, traceEventWord::trace, fields, sizeof fields / sizeof fields[0]);
    // Written before the traced module runs a line of its own.
    loadInner();
}

}  // namespace

morvEntryPoint startTracing()
{
    lockStart();
    if (!state.started) {
        state.started = true;
        start();
    }
    const morvEntryPoint entry = state.innerEntry;
    unlockStart();
    return entry;
}

void endTracing(bool processEnding)
{
    endTraceAtUnload();
    if (state.innerLibrary != nullptr && !processEnding) {
        closeLibrary(state.innerLibrary);
    }
    // The loader may keep this module mapped and hand it out again.
    memset(&state, 0, sizeof state);
}
