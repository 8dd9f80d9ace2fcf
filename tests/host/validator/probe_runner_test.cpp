// Probes in child processes: what they return, where they were when they
// crashed or hung, and what they printed, become the parent's outcome.
#include "probe_runner.h"
#include "validation_runner.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

namespace panel_host {

namespace {

using std::chrono::milliseconds;

probeOutcome inChild(const probeBody& body, milliseconds limit = milliseconds(5000))
{
    return makeChildProcessRunner()->run("probe under test", body, limit);
}

TEST(ChildProcessRunner, ReturnsTheValueAndNotesOfTheProbe)
{
    const probeOutcome outcome = inChild([](progressChannel& progress) {
        progress.note("first step", 0);
        progress.note("second step", 1);
        return nlohmann::json{{"answer", 42}};
    });
    ASSERT_EQ(outcome.how, probeOutcome::ending::finished) << outcome.problem;
    EXPECT_EQ(outcome.value["answer"], 42);
    ASSERT_EQ(outcome.notes.size(), 2u);
    EXPECT_EQ(outcome.lastNote().text, "second step");
    EXPECT_EQ(outcome.lastNote().step, 1);
}

TEST(ChildProcessRunner, ACrashIsReportedWithItsSignalAndLastStep)
{
    const probeOutcome outcome = inChild([](progressChannel& progress) -> nlohmann::json {
        progress.note("about to fall over", 7);
        // A signal no sanitizer handles, so the result is the same in every build.
        std::raise(SIGKILL);
        return {};
    });
    EXPECT_EQ(outcome.how, probeOutcome::ending::crashed);
    EXPECT_NE(outcome.problem.find("killed by signal " + std::to_string(SIGKILL)), std::string::npos)
        << outcome.problem;
    EXPECT_EQ(outcome.lastNote().text, "about to fall over");
    EXPECT_EQ(outcome.lastNote().step, 7);
}

TEST(ChildProcessRunner, AHangIsStoppedAtTheTimeLimit)
{
    const probeOutcome outcome = inChild(
        [](progressChannel& progress) -> nlohmann::json {
            progress.note("spinning");
            volatile bool spinning = true;
            while (spinning) {
            }
            return {};
        },
        milliseconds(300));
    EXPECT_EQ(outcome.how, probeOutcome::ending::timedOut);
    EXPECT_EQ(outcome.lastNote().text, "spinning");
    EXPECT_GE(outcome.duration.count(), 300);
}

TEST(ChildProcessRunner, KeepsWhatTheProbePrinted)
{
    const probeOutcome outcome = inChild([](progressChannel&) -> nlohmann::json {
        std::printf("hello from the probe\n");
        std::fprintf(stderr, "and its error output\n");
        std::abort();
    });
    EXPECT_EQ(outcome.how, probeOutcome::ending::crashed);
    EXPECT_NE(outcome.output.find("hello from the probe\n"), std::string::npos) << outcome.output;
    EXPECT_NE(outcome.output.find("and its error output\n"), std::string::npos) << outcome.output;
}

TEST(ChildProcessRunner, AnExitWithoutResultIsACrash)
{
    const probeOutcome outcome = inChild([](progressChannel&) -> nlohmann::json { std::_Exit(4); });
    EXPECT_EQ(outcome.how, probeOutcome::ending::crashed);
    EXPECT_EQ(outcome.problem, "exited with status 4 before it finished");
}

TEST(ProbeRunners, AnEscapingExceptionIsACrashInEitherRunner)
{
    const probeBody throwing = [](progressChannel&) -> nlohmann::json { throw std::runtime_error("boom"); };
    for (const auto& runner : {makeChildProcessRunner(), makeInProcessRunner()}) {
        const probeOutcome outcome = runner->run("throwing probe", throwing, milliseconds(5000));
        EXPECT_EQ(outcome.how, probeOutcome::ending::crashed);
        EXPECT_EQ(outcome.problem, "an exception escaped: boom");
    }
}

TEST(ProbeResults, CrashAndHangBecomeResultsThatSayWhereTheyHappened)
{
    probeOutcome crashed;
    crashed.how = probeOutcome::ending::crashed;
    crashed.problem = "killed by signal 11 (Segmentation fault)";
    crashed.notes = {{"event 3 of 8: timer 2", 2}};
    crashed.output = "a line\n";
    const checkResult fromCrash = resultOfProbe(crashed, milliseconds(1000));
    EXPECT_EQ(fromCrash.kind, resultKind::crashed);
    EXPECT_EQ(fromCrash.details,
              "killed by signal 11 (Segmentation fault)\nduring: event 3 of 8: timer 2\nlast output:\na line\n");

    probeOutcome hung;
    hung.how = probeOutcome::ending::timedOut;
    const checkResult fromHang = resultOfProbe(hung, milliseconds(1500));
    EXPECT_EQ(fromHang.kind, resultKind::timedOut);
    EXPECT_EQ(fromHang.details, "no end within 1500 ms");
}

TEST(ProbeResults, AFinishedProbeWithoutAResultIsAFailure)
{
    probeOutcome finished;
    finished.value = nlohmann::json{{"something", "else"}};
    const checkResult result = resultOfProbe(finished, milliseconds(1000));
    EXPECT_EQ(result.kind, resultKind::failed);
    EXPECT_EQ(result.details, "the check gave no readable result");
}

}  // namespace

}  // namespace panel_host
