#include "scenario_runner.h"

#include "button_event.h"
#include "layout_file.h"
#include "notify_codes.h"
#include "panel_model.h"
#include "panel_view.h"
#include "router_config.h"
#include "host_text.h"
#include "scenario_forms.h"

#include <deque>
#include <filesystem>

namespace panel_host {

// Collects the code 0 commands and their replies of the current block.
class scenarioRunner::commandCollector final : public hostObserver {
public:
    struct command {
        std::optional<std::string> text;  // null: a null text
        std::optional<std::string> reply;
    };
    void commandSent(const sentCommand& c) override
    {
        if (c.code == sendExecute) {
            commands.push_back({c.textWasNull ? std::nullopt : std::optional<std::string>(c.text), c.reply});
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
    codePage page = codePage::windows1252;
    if (!setup_.routerFile.empty()) {
        routerConfigResult config = loadRouterConfig(setup_.routerFile);
        if (!config.ok) {
            error(config.error);
            return false;
        }
        devices = std::move(config.devices);
        page = config.page;
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
    session_->setCodePage(page);
    printer_.setCodePage(page);
    basePath_ = setup_.layoutFolder;
    if (pathSet_) {
        std::string bytes;
        if (pathText_ && !inHostBytes(*pathText_, pathLine_, bytes)) {
            session_.reset();
            return false;
        }
        basePath_ = pathText_ ? std::optional<std::string>(bytes) : std::nullopt;
    }
    for (const auto& [text, number] : answersBeforeStart_) {
        std::string bytes;
        if (text && !inHostBytes(*text, number, bytes)) {
            session_.reset();
            return false;
        }
        answers_->pending.push_back(text ? std::optional<std::string>(bytes) : std::nullopt);
    }
    session_->preloadLayouts(std::move(layouts.layouts));
    session_->addObserver(&printer_);
    session_->addObserver(collector_.get());
    session_->setReplyPolicy(answers_.get());
    session_->setPassive(passiveHost_);
    session_->setDuringCommand([this] { runDuringCommand(); });
    for (hostObserver* observer : observers_) {
        session_->addObserver(observer);
    }
    openBlock("start-up");
    const loadOutcome loaded = session_->load(setup_.modulePath, basePath_, !nullHost_);
    if (!loaded.ok) {
        error(loaded.message);
        session_.reset();
        return false;
    }
    for (std::int32_t instance = 2; instance <= setup_.instances; ++instance) {
        if (!openInstance(instance)) {
            return false;
        }
    }
    startFailed_ = false;
    return true;
}

bool scenarioRunner::openInstance(std::int32_t instance)
{
    printer_.markInstances();
    openBlock("start-up of instance " + std::to_string(instance));
    const loadOutcome loaded = session_->load(setup_.modulePath, basePath_, !nullHost_);
    if (!loaded.ok) {
        error(loaded.message);
        return false;
    }
    return true;
}

bool scenarioRunner::inHostBytes(const std::string& text, int lineNumber, std::string& bytes)
{
    std::string problem;
    if (textToHostBytes(text, session_->textCodePage(), bytes, problem)) {
        return true;
    }
    error(sourceName_ + ":" + std::to_string(lineNumber) + ":1: " + problem +
          " (the host's code page; \\xNN writes a byte)");
    return false;
}

bool scenarioRunner::inHostBytes(const scenarioLine& line, scenarioLine& bytes)
{
    bytes = line;
    for (std::string& word : bytes.words) {
        if (!inHostBytes(std::string(word), line.number, word)) {
            return false;
        }
    }
    return inHostBytes(line.rest, line.number, bytes.rest);
}

void scenarioRunner::finish()
{
    closeBlock();
    if (session_ != nullptr) {
        session_->unload();
    }
}

bool scenarioRunner::run(const scenarioLine& line)
{
    const scenarioForm* form = scenarioFormOf(line.what);
    if (form == nullptr) {
        lastOutcome_ = outcome::success();
        return true;  // a blank line
    }
    scenarioLine bytes;
    if (!prepare(line, *form) || (started() && !inHostBytes(line, bytes))) {
        lastOutcome_ = outcome::failure("the line could not run", actionRefusal::notNow);
        return false;
    }
    lastOutcome_ = (this->*form->handler)(started() ? bytes : line);
    if (!lastOutcome_.ok) {
        out_ << "  (not done: " << names_.hide(lastOutcome_.message) << ")\n";
    }
    return true;
}

bool scenarioRunner::prepare(const scenarioLine& line, const scenarioForm& form)
{
    switch (form.role) {
    case lineRole::setting:
        if (started() || startFailed_) {
            error(sourceName_ + ":" + std::to_string(line.number) + ":1: settings must come before every other line");
            return false;
        }
        return true;
    case lineRole::immediate:
    case lineRole::interactive:
        return true;
    case lineRole::action:
    case lineRole::operatorAction:
    case lineRole::check:
        break;
    }
    if (!start()) {
        return false;
    }
    const std::int32_t opened = session_->instanceCount();
    if (line.instance > opened + 1) {
        error(sourceName_ + ":" + std::to_string(line.number) + ":1: there is no script instance " +
              std::to_string(line.instance) + "; the next one is " + std::to_string(opened + 1));
        return false;
    }
    if (line.instance == opened + 1 && !openInstance(line.instance)) {
        return false;
    }
    if (echo_) {
        // The line as written (UTF-8), its control characters escaped.
        out_ << "> " << shownBytes(line.source, codePage::utf8) << '\n';
    }
    if (line.isAction()) {
        openBlock("line " + std::to_string(line.number) + " (" + line.source + ")");
    }
    return true;
}

namespace {

std::int32_t numberAt(const scenarioLine& line, std::size_t i)
{
    return static_cast<std::int32_t>(line.numbers[i]);
}

std::optional<std::string> textOrNull(const scenarioLine& line, const pathNames& names)
{
    return line.hasRest ? std::optional<std::string>(names.expand(line.rest)) : std::nullopt;
}

std::optional<std::string> wordOrNull(const scenarioLine& line, std::size_t i)
{
    return line.nullWords[i] ? std::nullopt : std::optional<std::string>(line.words[i]);
}

std::optional<std::string> restOrNull(const scenarioLine& line)
{
    return line.hasRest ? std::optional<std::string>(line.rest) : std::nullopt;
}

// The notification a raw notification line (in host bytes) delivers; its
// form was checked when the line was read.
notification notificationOf(const scenarioLine& line)
{
    using K = scenarioLine::kind;
    switch (line.what) {
    case K::tally:
        return notification::tally(numberAt(line, 0), numberAt(line, 1), numberAt(line, 2), line.rest)
            .to(line.instance);
    case K::button:
        return notification::button(wordOrNull(line, 0), wordOrNull(line, 1), restOrNull(line)).to(line.instance);
    case K::buttonRecord: {
        std::optional<buttonEvent> event;
        std::size_t at = 0;
        std::string problem;
        readButtonEvent(line.rest, 0, event, at, problem);
        return notification::buttonWithFields(wordOrNull(line, 0), wordOrNull(line, 1), std::move(event))
            .to(line.instance);
    }
    case K::tick:
        return notification::timer(numberAt(line, 0)).to(line.instance);
    case K::query:
        return notification::query(restOrNull(line)).to(line.instance);
    default:
        break;
    }
    const std::int32_t code = numberAt(line, 0);
    return (line.restIsNull ? notification::nullPayload(code) : notification::other(code)).to(line.instance);
}

}  // namespace

scenarioRunner::outcome scenarioRunner::setLayouts(const scenarioLine& line)
{
    setup_.layoutFolder = resolve(line.words[0]);
    return outcome::success();
}

scenarioRunner::outcome scenarioRunner::setRouter(const scenarioLine& line)
{
    setup_.routerFile = resolve(line.words[0]);
    return outcome::success();
}

scenarioRunner::outcome scenarioRunner::setPath(const scenarioLine& line)
{
    pathSet_ = true;
    pathText_ = line.restIsNull ? std::nullopt : std::optional<std::string>(line.rest);
    pathLine_ = line.number;
    return outcome::success();
}

scenarioRunner::outcome scenarioRunner::setPassiveHost(const scenarioLine&)
{
    passiveHost_ = true;
    return outcome::success();
}

scenarioRunner::outcome scenarioRunner::setNullHost(const scenarioLine&)
{
    nullHost_ = true;
    return outcome::success();
}

scenarioRunner::outcome scenarioRunner::choose(const scenarioLine& line)
{
    return session_->choose(line.instance, operatorPanel, line.words[0], numberAt(line, 0));
}

scenarioRunner::outcome scenarioRunner::press(const scenarioLine& line)
{
    return session_->press(line.instance, operatorPanel, line.words[0]);
}

scenarioRunner::outcome scenarioRunner::route(const scenarioLine& line)
{
    const std::int32_t device =
        line.numbers.size() > 2 ? numberAt(line, 2) : session_->router().devices().front().number;
    return session_->routeByOtherController(device, numberAt(line, 0), numberAt(line, 1));
}

scenarioRunner::outcome scenarioRunner::wait(const scenarioLine& line)
{
    session_->wait(line.numbers[0]);
    return outcome::success();
}

scenarioRunner::outcome scenarioRunner::rawNotification(const scenarioLine& line)
{
    return session_->deliver(notificationOf(line));
}

scenarioRunner::outcome scenarioRunner::unload(const scenarioLine& line)
{
    session_->unload(line.instance);
    return outcome::success();
}

scenarioRunner::outcome scenarioRunner::during(const scenarioLine& line)
{
    // The line it holds, read from the line as written, in host bytes.
    const scenarioLine written = parseScenarioLine(line.source, line.number).line;
    duringLine pending{line, parseScenarioLine(written.rest, line.number).line};
    if (!inHostBytes(scenarioLine(pending.nested), pending.nested)) {
        return outcome::failure("the line could not run", actionRefusal::notNow);
    }
    duringNext_.push_back(std::move(pending));
    return outcome::success();
}

void scenarioRunner::runDuringCommand()
{
    const std::int64_t command = static_cast<std::int64_t>(collector_->commands.size());
    std::vector<duringLine> due;
    for (auto it = duringBlock_.begin(); it != duringBlock_.end();) {
        if (it->line.numbers[0] == command) {
            due.push_back(std::move(*it));
            it = duringBlock_.erase(it);
        } else {
            ++it;
        }
    }
    for (const duringLine& pending : due) {
        const scenarioLine& nested = pending.nested;
        const outcome done = nested.what == scenarioLine::kind::unload
                                 ? session_->deleteScriptDuringCommand(nested.instance)
                                 : session_->deliverDuringCommand(notificationOf(nested));
        if (!done.ok) {
            out_ << "  (not done: line " << pending.line.number << ": " << names_.hide(done.message) << ")\n";
        }
    }
}

scenarioRunner::outcome scenarioRunner::queueAnswer(const scenarioLine& line)
{
    if (!started()) {
        // The host's code page is known once the session starts.
        answersBeforeStart_.emplace_back(line.hasRest ? std::optional<std::string>(line.rest) : std::nullopt,
                                         line.number);
        return outcome::success();
    }
    answers_->pending.push_back(textOrNull(line, names_));
    return outcome::success();
}

scenarioRunner::outcome scenarioRunner::show(const scenarioLine&)
{
    out_ << renderSessionView(*session_);
    return outcome::success();
}

scenarioRunner::outcome scenarioRunner::printHelp(const scenarioLine&)
{
    out_ << scenarioLanguageHelp();
    return outcome::success();
}

scenarioRunner::outcome scenarioRunner::quit(const scenarioLine&)
{
    return outcome::success();
}

void scenarioRunner::openBlock(const std::string& cause)
{
    closeBlock();
    blockCause_ = cause;
    collector_->clear();
    cursor_ = 0;
    duringBlock_ = std::move(duringNext_);
    duringNext_.clear();
}

void scenarioRunner::fail(const scenarioLine& line, const std::string& why, std::string wanted, std::string got)
{
    if (blockProblem_.empty()) {
        mismatches_.push_back({line.number, std::move(wanted), std::move(got)});
        blockProblem_ = "line " + std::to_string(line.number) + ": " + why;
        out_ << "  FAILED " << blockProblem_ << '\n';
    }
}

std::string scenarioRunner::shownCommand(const std::optional<std::string>& text) const
{
    return text ? scenarioText(names_.hide(*text), session_->textCodePage()) : "null";
}

std::string scenarioRunner::shownReply(const std::optional<std::string>& text) const
{
    return text ? quotedText(names_.hide(*text), session_->textCodePage()) : "null";
}

scenarioRunner::outcome scenarioRunner::expectNothing(const scenarioLine& line)
{
    ++checked_;
    const auto& got = collector_->commands;
    blockWanted_.push_back("(nothing more)");
    if (cursor_ < got.size()) {
        const std::string came = shownCommand(got[cursor_].text);
        fail(line, "expected nothing more, got " + came, "nothing more", came);
    }
    return outcome::success();
}

scenarioRunner::outcome scenarioRunner::expectCommand(const scenarioLine& line)
{
    ++checked_;
    const auto& got = collector_->commands;
    const std::optional<std::string> wanted = textOrNull(line, names_);
    const std::string shownWanted = shownCommand(line.hasRest ? std::optional<std::string>(line.rest) : std::nullopt);
    blockWanted_.push_back(shownWanted);
    if (cursor_ >= got.size()) {
        fail(line, "expected " + shownWanted + ", got no more commands", shownWanted, "no more commands");
    } else if (got[cursor_].text != wanted) {
        const std::string came = shownCommand(got[cursor_].text);
        fail(line, "expected " + shownWanted + ", got " + came, shownWanted, came);
    }
    ++cursor_;
    return outcome::success();
}

scenarioRunner::outcome scenarioRunner::checkReply(const scenarioLine& line)
{
    ++checked_;
    const auto& got = collector_->commands;
    if (cursor_ == 0 || cursor_ > got.size()) {
        fail(line, "a reply line needs an expect line that matched a command before it", {}, {});
        return outcome::success();
    }
    const std::optional<std::string> wanted = textOrNull(line, names_);
    const std::optional<std::string>& reply = got[cursor_ - 1].reply;
    if (reply != wanted) {
        fail(line,
             "the reply to " + shownCommand(got[cursor_ - 1].text) + " was " + shownReply(reply) + ", expected " +
                 shownReply(wanted),
             "reply " + shownReply(wanted), "reply " + shownReply(reply));
    }
    return outcome::success();
}

scenarioRunner::outcome scenarioRunner::expectResult(const scenarioLine& line)
{
    ++checked_;
    if (!collector_->queried) {
        fail(line, "an expect result line needs a query line before it, in the same block", {}, {});
        return outcome::success();
    }
    const std::optional<std::string> wanted = textOrNull(line, names_);
    if (collector_->queryResult != wanted) {
        fail(line, "the query returned " + shownReply(collector_->queryResult) + ", expected " + shownReply(wanted),
             "result " + shownReply(wanted), "result " + shownReply(collector_->queryResult));
    }
    return outcome::success();
}

void scenarioRunner::closeBlock()
{
    for (const duringLine& pending : duringBlock_) {
        const scenarioLine& line = pending.line;
        const std::string sent = std::to_string(collector_->commands.size());
        fail(line,
             "the host was to act during command " + std::to_string(line.numbers[0]) + ", but the script sent " + sent +
                 " command(s)",
             "command " + std::to_string(line.numbers[0]), sent + " command(s)");
    }
    duringBlock_.clear();
    if (!blockProblem_.empty()) {
        std::string report = blockProblem_ + "\n  the commands after " + blockCause_ + "\n  wanted:\n";
        for (const std::string& w : blockWanted_) {
            report += "    " + w + "\n";
        }
        report += "  got:\n";
        for (const auto& c : collector_->commands) {
            report += "    " + shownCommand(c.text) + "\n";
        }
        failures_.push_back(report);
    }
    blockProblem_.clear();
    blockWanted_.clear();
}

}  // namespace panel_host
