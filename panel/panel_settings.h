#pragma once

#include <stdint.h>

// Everything the routing panel depends on in the host's configuration and in
// its layout file, named once.
namespace panelSettings {

// The panel this script drives; every panel command addresses it.
constexpr int panelNumber = 1;
constexpr const char* layoutFile = "p1.morv_ui";

// The router whose crosspoints the panel shows and sets.
constexpr const char* routerDeviceName = "B4 Audio Router";
constexpr int32_t firstDestination = 1;
constexpr int32_t lastDestination = 64;
// Tally table entries: index 0 up to lastDestination.
constexpr int32_t tallyTableSize = lastDestination + 1;

// Kinds of the router name request.
constexpr int32_t sourceNameKind = 0;
constexpr int32_t destinationNameKind = 1;

// The Take flash: timer id, tick interval in milliseconds, ticks per flash.
constexpr int32_t flashTimer = 1;
constexpr int32_t flashInterval = 1000;
constexpr int32_t flashTicks = 10;

// A list reports this value when nothing is selected in it.
constexpr int32_t noSelection = -1;

// State sheets of "Take".
constexpr const char* takeHigh = "QF_TakeHigh";
constexpr const char* takeLow = "QF_TakeLow";

// Controls of the layout.
namespace control {
constexpr const char* sources = "Sources";
constexpr const char* destinations = "Destinations";
constexpr const char* take = "Take";
constexpr const char* clear = "Clear";
constexpr const char* newNumber = "New";
constexpr const char* newName = "NewSrcName";
constexpr const char* destinationNumber = "Did";
constexpr const char* destinationName = "DestName";
constexpr const char* oldNumber = "Old";
constexpr const char* oldName = "OldSrcName";
}  // namespace control

// Properties and the texts of empty labels and lists.
namespace property {
constexpr const char* text = "text";
constexpr const char* stateSheet = "statesheet";
constexpr const char* noNumber = "text=-";
constexpr const char* noName = "text=---";
constexpr const char* noSelection = "select=-1";
}  // namespace property

}  // namespace panelSettings
