#include "check_registry.h"

#include "checks.h"

const std::vector<checkDefinition>& registeredChecks()
{
    static const std::vector<checkDefinition> checks{
        {"loading.file-loads", "the module file loads as a shared library", checkFileLoads, {}, false},
        {"loading.entry-point", "load_morv_client_script is exported with C linkage, under its undecorated name",
         checkEntryPoint, {"loading.file-loads"}, false},
        {"loading.single-export", "the entry point is the module's only exported symbol (ELF, Linux only)",
         checkSingleExport, {"loading.file-loads"}, false},
        {"loading.creates-object", "the entry point creates a script object for the emulated host",
         checkCreatesObject, {"loading.entry-point"}, false},
        {"loading.repeated-load", "load, create, destroy and unload many times; several scripts alive at once",
         checkRepeatedLoad, {"loading.creates-object"}, false},
        {"host.null-host", "a script created with a null host takes a run of events and is destroyed without a crash",
         checkNullHost, {"loading.entry-point"}, false},
        {"host.null-replies", "a host that answers null to every command: no crash, no contract breach",
         checkNullReplies, {"loading.creates-object"}, false},
        {"host.garbage-replies", "a host that answers garbage to every reading command: no crash, no contract breach",
         checkGarbageReplies, {"loading.creates-object"}, false},
        {"boundary.unknown-codes", "notify codes 0, 8, -1 and large values return null and send nothing",
         checkUnknownCodes, {"loading.creates-object"}, false},
        {"boundary.null-release", "notify code 5 with a null payload does nothing", checkNullRelease,
         {"loading.creates-object"}, false},
        {"boundary.query-replies", "every non-null code 3 result is a heap buffer of the module, given back once",
         checkQueryReplies, {"loading.creates-object"}, false},
        {"boundary.timer-payload", "code 4 payloads are timer ids and are never dereferenced", checkTimerPayload,
         {"loading.creates-object"}, false},
        {"output.send-codes", "every send uses code 0 or 5, and the host's reserved entry is never called",
         checkSendCodes, {"loading.creates-object"}, false},
        {"output.command-texts", "every code 0 text is a known command with the right field shapes",
         checkCommandTexts, {"loading.creates-object"}, false},
        {"output.give-back", "code 5 gives back only replies of reading commands this host handed out, each once",
         checkGiveBack, {"loading.creates-object"}, false},
        {"output.reading-replies", "every reading reply is given back before the call that received it returns",
         checkReadingReplies, {"loading.creates-object"}, false},
        {"output.final-as", "\"AS\" is sent exactly once, as the script's last command, when it is destroyed",
         checkFinalAs, {"loading.creates-object"}, false},
        {"robustness.random-events", "seeded random event sequences: no crash, no hang, no contract breach",
         checkRandomEvents, {"loading.creates-object"}, true},
        {"determinism.transcript", "the same event sequence gives the same command transcript twice",
         checkSameTranscript, {"loading.creates-object"}, false},
    };
    return checks;
}
