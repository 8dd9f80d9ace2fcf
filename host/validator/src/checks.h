#pragma once

#include "check_result.h"
#include "validation_check.h"

// The checks, one function each, grouped by file; check_registry.cpp lists
// them with their names and descriptions.

// loading_checks.cpp
checkResult checkFileLoads(const checkContext& context);
checkResult checkEntryPoint(const checkContext& context);
checkResult checkSingleExport(const checkContext& context);
checkResult checkCreatesObject(const checkContext& context);
checkResult checkRepeatedLoad(const checkContext& context);

// host_variant_checks.cpp
checkResult checkNullHost(const checkContext& context);
checkResult checkNullReplies(const checkContext& context);
checkResult checkGarbageReplies(const checkContext& context);

// boundary_checks.cpp
checkResult checkUnknownCodes(const checkContext& context);
checkResult checkNullRelease(const checkContext& context);
checkResult checkQueryReplies(const checkContext& context);
checkResult checkTimerPayload(const checkContext& context);

// output_contract_checks.cpp
checkResult checkSendCodes(const checkContext& context);
checkResult checkCommandTexts(const checkContext& context);
checkResult checkGiveBack(const checkContext& context);
checkResult checkReadingReplies(const checkContext& context);
checkResult checkFinalAs(const checkContext& context);

// robustness_check.cpp
checkResult checkRandomEvents(const checkContext& context);

// determinism_check.cpp
checkResult checkSameTranscript(const checkContext& context);
