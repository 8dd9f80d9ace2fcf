// The routing panel's state, start-up, tally table and query answers.
#include "vantry.h"

#include "morv_stringlist.h"

namespace {
constexpr char noFill = '\0';
constexpr unsigned noWidth = 0;
constexpr int decimalBase = 10;

// What the panel declares of itself to a query: nothing. An empty list,
// joined one item per line.
morv_string emptyDeclaration()
{
    return morv_stringlist(morv_string(""), ',').toString('\n');
}
}  // namespace

vantry::vantry(script_host* hostObject, const char* path)
    : morv_script_helper(hostObject, path),
      panelText(panelSettings::panelNumber, noFill, noWidth, decimalBase),
      routerDevice(0),
      selectedSource(panelSettings::noSelection),
      selectedDestination(panelSettings::noSelection),
      flashCount(0),
      tally(),
      sourceChosen(false),
      destinationChosen(false),
      takeEnabled(false),
      flashRunning(false)
{
    using namespace panelSettings;
    panelShow(panel(), layoutFile, "");
    if (takeEnabled) {
        controlEnable(panel(), control::take);
    } else {
        controlDisable(panel(), control::take);
    }
    deviceLookup(routerDeviceName, &routerDevice, nullptr);
    if (routerDevice != 0) {
        routerRegister(routerDevice, firstDestination, lastDestination, false);
        routerPoll(routerDevice, firstDestination, lastDestination);
    }
}

// Sends no command of its own (a running flash timer is not stopped); the
// framework's destructor then sends "AS".
vantry::~vantry() = default;

int32_t vantry::onTally(const tallyNotify& report)
{
    using namespace panelSettings;
    const int32_t destination = report.index();
    if (report.device() != routerDevice || !isTallyIndex(destination)) {
        return 0;
    }
    const int32_t source = report.value();
    tally[destination] = source;
    if (!destinationChosen || destination != selectedDestination) {
        return 0;
    }
    textPut(property::text, decimal(source), panel(), control::oldNumber);
    textPut(property::text, report.text(), panel(), control::oldName);
    return 0;
}

morv_string vantry::onQuery(const queryNotify& query)
{
    const morv_string name = query.name();
    if (name == "return") {
        return query.value() == "all" ? emptyDeclaration() : morv_string();
    }
    if (name == "_events" || name == "_commands") {
        return emptyDeclaration();
    }
    return morv_string();
}

bool vantry::isTallyIndex(int32_t index)
{
    return index >= 0 && index < panelSettings::tallyTableSize;
}

morv_string vantry::decimal(int32_t value)
{
    return morv_string("%1").arg(value, noFill, noWidth, decimalBase);
}
