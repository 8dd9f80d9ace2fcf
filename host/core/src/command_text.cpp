#include "command_text.h"

#include "decode_morv_string.h"
#include "script_boundary.h"

#include <cerrno>
#include <cstdlib>
#include <limits>

namespace panel_host {

namespace {

// q: a quoted text field, a: a quoted "property=value", c: a quoted text
// beginning with a comma, n: a decimal number, A: the literal quoted 'ADD'.
struct commandForm {
    commandCode code;
    const char* fields;    // all fields, the optional ones last
    std::size_t required;  // how many of them must be there
    const char* example;
};

constexpr commandForm forms[] = {
    {commandCode::PS, "qqq", 2, "PS 'panel' 'path' ['extra']"},
    {commandCode::TP, "aqq", 3, "TP 'property=value' 'panel' 'control'"},
    {commandCode::TG, "qqq", 3, "TG 'panel' 'control' 'property'"},
    {commandCode::CE, "qq", 2, "CE 'panel' 'control'"},
    {commandCode::CD, "qq", 2, "CD 'panel' 'control'"},
    {commandCode::XI, "qq", 2, "XI 'panel' 'filter'"},
    {commandCode::SD, "q", 1, "SD 'name'"},
    {commandCode::RC, "nnncn", 5, "RC device source destination ',extra' flag"},
    {commandCode::RN, "nnn", 3, "RN device kind index"},
    {commandCode::RR, "nnnA", 3, "RR device first last ['ADD']"},
    {commandCode::RP, "nnn", 3, "RP device first last"},
    {commandCode::ET, "nn", 1, "ET id [interval]"},
    {commandCode::AS, "", 0, "AS"},
};

bool readNumber(const char* token, std::int32_t& number)
{
    if (*token == '\0') {
        return false;
    }
    char* end = nullptr;
    errno = 0;
    const long long value = std::strtoll(token, &end, 10);
    if (errno != 0 || *end != '\0' || value < std::numeric_limits<std::int32_t>::min() ||
        value > std::numeric_limits<std::int32_t>::max()) {
        return false;
    }
    number = static_cast<std::int32_t>(value);
    // Plain decimal only: no '+', no leading zeros, no blanks.
    return std::to_string(number) == token;
}

// Rebuilds the text the tokens would have in this form; the command parses
// only when that equals the text received.
bool matchForm(const commandForm& form, const decodeMORVString& tokens, const std::string& text, parsedCommand& command)
{
    const std::size_t fieldCount = static_cast<std::size_t>(tokens.count) - 1;
    const std::string allFields = form.fields;
    if (fieldCount < form.required || fieldCount > allFields.size()) {
        return false;
    }
    std::string rebuilt = commandCodeName(form.code);
    command.code = form.code;
    for (std::size_t i = 0; i < fieldCount; ++i) {
        const char* token = tokens.tokens[i + 1];
        if (allFields[i] == 'n') {
            std::int32_t number = 0;
            if (!readNumber(token, number)) {
                return false;
            }
            command.numbers.push_back(number);
            rebuilt += std::string(" ") + token;
        } else {
            const std::string field = token;
            if ((allFields[i] == 'A' && field != "ADD") ||
                (allFields[i] == 'a' && field.find('=') == std::string::npos) ||
                (allFields[i] == 'c' && field.compare(0, 1, ",") != 0)) {
                return false;
            }
            command.texts.emplace_back(token);
            rebuilt += std::string(" '") + token + "'";
        }
    }
    return rebuilt == text;
}

}  // namespace

const char* commandCodeName(commandCode code)
{
    switch (code) {
    case commandCode::PS:
        return "PS";
    case commandCode::TP:
        return "TP";
    case commandCode::TG:
        return "TG";
    case commandCode::CE:
        return "CE";
    case commandCode::CD:
        return "CD";
    case commandCode::XI:
        return "XI";
    case commandCode::SD:
        return "SD";
    case commandCode::RC:
        return "RC";
    case commandCode::RN:
        return "RN";
    case commandCode::RR:
        return "RR";
    case commandCode::RP:
        return "RP";
    case commandCode::ET:
        return "ET";
    case commandCode::AS:
        return "AS";
    }
    return "";
}

bool isReadingCommand(commandCode code)
{
    return isReadingCommandText(commandCodeName(code));
}

commandParse parseCommandText(const std::string& text)
{
    commandParse result;
    const decodeMORVString tokens(text.c_str(), '\'');
    const std::string code = tokens.count > 0 ? tokens.tokens[0] : "";
    for (const commandForm& form : forms) {
        if (code != commandCodeName(form.code)) {
            continue;
        }
        if (matchForm(form, tokens, text, result.command)) {
            result.ok = true;
        } else {
            result.command = parsedCommand{};
            result.problem = "not a valid " + code + " command, expected the form " + form.example;
        }
        return result;
    }
    result.problem = "unknown command code \"" + code + "\"";
    return result;
}

}  // namespace panel_host
