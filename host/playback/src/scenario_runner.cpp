#include "scenario_runner.h"

#include "layout_file.h"
#include "panel_model.h"
#include "panel_view.h"
#include "router_config.h"

#include <deque>
#include <filesystem>

namespace panel_host {

// Collects the code 0 commands and their replies of the current block.
class scenarioRunner::commandCollector final : public hostObserver {
public:
    struct command {
        std::string text;
        std::optional<std::string> reply;
    };
    void commandSent(const sentCommand& c) override
    {
        if (c.code == 0) {
            commands.push_back({c.text, c.reply});
        }
    }
    void notificationFinished(const notification& n, const char* result) override
    {
        if (n.what == notification::kind::query) {
            queried = true;
            queryResult = result != nullptr ? std::optional<std::string>(result) : std::nullopt;
        }
    }
    void clear()
    {
        commands.clear();
        queried = false;
        queryResult.reset();
    }
    std::vector<command> commands;
    bool queried = false;                    // a query was delivered in this block
    std::optional<std::string> queryResult;  // what the last one returned
};

// The replies `answer` lines set: each replaces the models' reply to the
// next command the script sends, in order.
class scenarioRunner::queuedAnswers final : public replyPolicy {
public:
    std::optional<std::string> reply(const std::string&, const std::optional<std::string>& modelReply) override
    {
        if (pending.empty()) {
            return modelReply;
        }
        std::optional<std::string> answer = std::move(pending.front());
        pending.pop_front();
        return answer;
    }
    std::deque<std::optional<std::string>> pending;
};

scenarioRunner::scenarioRunner(hostSetup setup, std::ostream& out, std::string relativeTo, std::ostream& err)
    : setup_(std::move(setup)),
      out_(out),
      relativeTo_(std::move(relativeTo)),
      printer_(out_, names_),
      collector_(std::make_unique<commandCollector>()),
      answers_(std::make_unique<queuedAnswers>()),
      err_(err)
{
}

void scenarioRunner::error(const std::string& text)
{
    out_.flush();
    err_ << "error: " << text << '\n' << std::flush;
}

scenarioRunner::~scenarioRunner()
{
    finish();
}

std::string scenarioRunner::resolve(const std::string& path) const
{
    const std::filesystem::path p(path);
    if (p.is_absolute() || relativeTo_.empty()) {
        return path;
    }
    return (std::filesystem::path(relativeTo_) / p).lexically_normal().string();
}

bool scenarioRunner::start()
{
    if (session_ != nullptr) {
        return true;
    }
    if (startFailed_) {
        return false;
    }
    startFailed_ = true;
    std::vector<routerDevice> devices = defaultRouterDevices();
    if (!setup_.routerFile.empty()) {
        routerConfigResult config = loadRouterConfig(setup_.routerFile);
        if (!config.ok) {
            error(config.error);
            return false;
        }
        devices = std::move(config.devices);
    }
    layoutFolderResult layouts;
    if (!setup_.layoutFolder.empty()) {
        layouts = loadLayoutFolder(setup_.layoutFolder);
        if (!layouts.error.empty()) {
            error(layouts.error);
            return false;
        }
    }
    if (hidePaths_) {
        names_.add(setup_.modulePath, "${module}");
        names_.add(setup_.layoutFolder, "${layouts}");
        names_.add(setup_.routerFile, "${router}");
    }
    session_ = std::make_unique<hostSession>(std::move(devices));
    session_->preloadLayouts(std::move(layouts.layouts));
    session_->addObserver(&printer_);
    session_->addObserver(collector_.get());
    session_->setReplyPolicy(answers_.get());
    session_->setPassive(passiveHost_);
    for (hostObserver* observer : observers_) {
        session_->addObserver(observer);
    }
    openBlock("start-up");
    const loadOutcome loaded = session_->load(setup_.modulePath, basePath_.value_or(setup_.layoutFolder));
    if (!loaded.ok) {
        error(loaded.message);
        session_.reset();
        return false;
    }
    startFailed_ = false;
    return true;
}

void scenarioRunner::finish()
{
    closeBlock();
    if (session_ != nullptr) {
        session_->unload();
    }
}

bool scenarioRunner::applySetting(const scenarioLine& line)
{
    if (started() || startFailed_) {
        error(sourceName_ + ":" + std::to_string(line.number) + ":1: settings must come before every other line");
        return false;
    }
    switch (line.what) {
    case scenarioLine::kind::layoutsSetting:
        setup_.layoutFolder = resolve(line.words[0]);
        break;
    case scenarioLine::kind::routerSetting:
        setup_.routerFile = resolve(line.words[0]);
        break;
    case scenarioLine::kind::pathSetting:
        basePath_ = line.rest;
        break;
    default:
        passiveHost_ = true;
        break;
    }
    return true;
}

bool scenarioRunner::run(const scenarioLine& line)
{
    switch (line.what) {
    case scenarioLine::kind::blank:
        return true;
    case scenarioLine::kind::layoutsSetting:
    case scenarioLine::kind::routerSetting:
    case scenarioLine::kind::pathSetting:
    case scenarioLine::kind::hostSetting:
        return applySetting(line);
    case scenarioLine::kind::answer:
        // Before start-up too: it may answer the script's first command.
        answers_->pending.push_back(line.hasRest ? std::optional<std::string>(names_.expand(line.rest)) : std::nullopt);
        return true;
    case scenarioLine::kind::help:
        out_ << scenarioLanguageHelp();
        return true;
    case scenarioLine::kind::quit:
        return true;
    default:
        break;
    }
    if (!start()) {
        return false;
    }
    if (echo_) {
        out_ << "> " << line.source << '\n';
    }
    switch (line.what) {
    case scenarioLine::kind::expect:
    case scenarioLine::kind::expectNothing:
        checkExpect(line);
        return true;
    case scenarioLine::kind::reply:
        checkReply(line);
        return true;
    case scenarioLine::kind::expectResult:
        checkQueryResult(line);
        return true;
    case scenarioLine::kind::show:
        out_ << renderSessionView(*session_);
        return true;
    default:
        return runAction(line);
    }
}

bool scenarioRunner::runAction(const scenarioLine& line)
{
    openBlock("line " + std::to_string(line.number) + " (" + line.source + ")");
    hostSession& s = *session_;
    const std::string panel = operatorPanel;
    const auto number = [&line](std::size_t i) { return static_cast<std::int32_t>(line.numbers[i]); };
    hostSession::actionOutcome outcome = hostSession::actionOutcome::success();
    switch (line.what) {
    case scenarioLine::kind::choose:
        outcome = s.choose(panel, line.words[0], number(0));
        break;
    case scenarioLine::kind::press:
        outcome = s.press(panel, line.words[0]);
        break;
    case scenarioLine::kind::button:
        outcome = s.deliver(notification::button(line.words[0], line.words[1], line.rest));
        break;
    case scenarioLine::kind::wait:
        s.wait(line.numbers[0]);
        break;
    case scenarioLine::kind::tick:
        outcome = s.deliver(notification::timer(number(0)));
        break;
    case scenarioLine::kind::route: {
        const auto& devices = s.router().devices();
        const std::int32_t device = line.numbers.size() > 2 ? number(2) : devices.front().number;
        outcome = s.routeByOtherController(device, number(0), number(1));
        break;
    }
    case scenarioLine::kind::tally:
        outcome = s.deliver(notification::tally(number(0), number(1), number(2), line.rest));
        break;
    case scenarioLine::kind::query:
        outcome = s.deliver(notification::query(line.hasRest ? std::optional<std::string>(line.rest) : std::nullopt));
        break;
    case scenarioLine::kind::notifyCode:
        outcome = s.deliver(notification::other(number(0)));
        break;
    case scenarioLine::kind::unload:
        s.unload();
        break;
    default:
        break;
    }
    if (!outcome.ok) {
        out_ << "  (not done: " << names_.hide(outcome.message) << ")\n";
    }
    return true;
}

void scenarioRunner::openBlock(const std::string& cause)
{
    closeBlock();
    blockCause_ = cause;
    collector_->clear();
    cursor_ = 0;
}

void scenarioRunner::fail(const scenarioLine& line, const std::string& why, std::string wanted, std::string got)
{
    if (blockProblem_.empty()) {
        mismatches_.push_back({line.number, std::move(wanted), std::move(got)});
        blockProblem_ = "line " + std::to_string(line.number) + ": " + why;
        out_ << "  FAILED " << blockProblem_ << '\n';
    }
}

void scenarioRunner::checkExpect(const scenarioLine& line)
{
    ++checked_;
    const auto& got = collector_->commands;
    if (line.what == scenarioLine::kind::expectNothing) {
        blockWanted_.push_back("(nothing more)");
        if (cursor_ < got.size()) {
            fail(line, "expected nothing more, got " + names_.hide(got[cursor_].text), "nothing more",
                 names_.hide(got[cursor_].text));
        }
        return;
    }
    const std::string wanted = names_.expand(line.rest);
    blockWanted_.push_back(wanted);
    if (cursor_ >= got.size()) {
        fail(line, "expected " + line.rest + ", got no more commands", line.rest, "no more commands");
    } else if (got[cursor_].text != wanted) {
        fail(line, "expected " + line.rest + ", got " + names_.hide(got[cursor_].text), line.rest,
             names_.hide(got[cursor_].text));
    }
    ++cursor_;
}

void scenarioRunner::checkReply(const scenarioLine& line)
{
    ++checked_;
    const auto& got = collector_->commands;
    if (cursor_ == 0 || cursor_ > got.size()) {
        fail(line, "a reply line needs an expect line that matched a command before it", {}, {});
        return;
    }
    const std::optional<std::string> wanted =
        line.hasRest ? std::optional<std::string>(names_.expand(line.rest)) : std::nullopt;
    const std::optional<std::string>& reply = got[cursor_ - 1].reply;
    if (reply != wanted) {
        fail(line,
             "the reply to " + names_.hide(got[cursor_ - 1].text) + " was " + names_.hide(showReply(reply)) +
                 ", expected " + names_.hide(showReply(wanted)),
             "reply " + names_.hide(showReply(wanted)), "reply " + names_.hide(showReply(reply)));
    }
}

void scenarioRunner::checkQueryResult(const scenarioLine& line)
{
    ++checked_;
    if (!collector_->queried) {
        fail(line, "an expect result line needs a query line before it, in the same block", {}, {});
        return;
    }
    const std::optional<std::string> wanted =
        line.hasRest ? std::optional<std::string>(names_.expand(line.rest)) : std::nullopt;
    if (collector_->queryResult != wanted) {
        fail(line,
             "the query returned " + names_.hide(showReply(collector_->queryResult)) + ", expected " +
                 names_.hide(showReply(wanted)),
             "result " + names_.hide(showReply(wanted)), "result " + names_.hide(showReply(collector_->queryResult)));
    }
}

void scenarioRunner::closeBlock()
{
    if (!blockProblem_.empty()) {
        std::string report = blockProblem_ + "\n  the commands after " + blockCause_ + "\n  wanted:\n";
        for (const std::string& w : blockWanted_) {
            report += "    " + names_.hide(w) + "\n";
        }
        report += "  got:\n";
        for (const auto& c : collector_->commands) {
            report += "    " + names_.hide(c.text) + "\n";
        }
        failures_.push_back(report);
    }
    blockProblem_.clear();
    blockWanted_.clear();
}

}  // namespace panel_host
