#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace panel_host {

// The commands a script sends with code 0.
enum class commandCode { PS, TP, TG, CE, CD, XI, SD, RC, RN, RR, RP, ET, AS };

const char* commandCodeName(commandCode code);

// Commands whose reply the script reads and must give back with code 5.
bool isReadingCommand(commandCode code);

// One command text taken apart. Fields are in the order of the text;
// `texts` holds the quoted fields (without their apostrophes), `numbers` the
// decimal ones.
struct parsedCommand {
    commandCode code = commandCode::AS;
    std::vector<std::string> texts;
    std::vector<std::int32_t> numbers;
};

struct commandParse {
    bool ok = false;
    std::string problem;  // when !ok: why the text is not a command, and its expected form
    parsedCommand command;
};

// Parses one command text strictly: a known two-letter code, then exactly
// the fields of one of its forms, each quoted field as an apostrophe, its
// text, an apostrophe, each number plain decimal, separated by one blank,
// nothing after the last. Texts are split with the framework's token decoder
// (apostrophe quote), so a quoted field cannot hold an apostrophe. The forms:
//   PS 'panel' 'path' ['extra']     TP 'property=value' 'panel' 'control'
//   TG 'panel' 'control' 'property' CE 'panel' 'control'   CD 'panel' 'control'
//   XI 'panel' 'filter'             SD 'name'
//   RC device source destination ',extra' flag
//   RN device kind index            RR device first last ['ADD']
//   RP device first last            ET id [interval]        AS
commandParse parseCommandText(const std::string& text);

}  // namespace panel_host
