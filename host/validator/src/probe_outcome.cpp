#include "probe_runner.h"

#include <exception>

namespace panel_host {

progressNote probeOutcome::lastNote() const
{
    return notes.empty() ? progressNote{} : notes.back();
}

namespace {

// Keeps the notes in memory, the oldest dropped past a cap.
class recordingProgress final : public progressChannel {
public:
    explicit recordingProgress(std::vector<progressNote>& notes) : notes_(notes) {}
    void note(const std::string& text, std::int64_t step) override
    {
        if (notes_.size() >= 10000) {
            notes_.erase(notes_.begin());
        }
        notes_.push_back({text, step});
    }

private:
    std::vector<progressNote>& notes_;
};

class inProcessRunner final : public probeRunner {
public:
    probeOutcome run(const std::string&, const probeBody& body, std::chrono::milliseconds) override
    {
        probeOutcome outcome;
        const auto started = std::chrono::steady_clock::now();
        recordingProgress progress(outcome.notes);
        try {
            outcome.value = body(progress);
        } catch (const std::exception& e) {
            outcome.how = probeOutcome::ending::crashed;
            outcome.problem = std::string("an exception escaped: ") + e.what();
        } catch (...) {
            outcome.how = probeOutcome::ending::crashed;
            outcome.problem = "an exception escaped";
        }
        outcome.duration =
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started);
        return outcome;
    }

    bool isolates() const override { return false; }
};

}  // namespace

std::unique_ptr<probeRunner> makeInProcessRunner()
{
    return std::make_unique<inProcessRunner>();
}

}  // namespace panel_host
