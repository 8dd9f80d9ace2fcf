#pragma once

#include "morv_client_callback.h"
#include "morv_string.h"
#include "morv_stringlist.h"
#include "notify_records.h"
#include "script_host.h"

#include <cstdint>

// The framework base of every panel script. It turns the host's notify()
// calls into typed handler calls and wraps every host command in an
// operation. Command operations build one complete text and make one
// synchronous host->send(text, sendExecute); with a null host they send
// nothing and return their no-reply result. They never throw to the host.
class morv_script_helper : public morv_client_callback {
public:
    // host may be null (every command is then a no-op); path is the folder
    // of the panel's layout files, may be empty. Sends nothing itself.
    morv_script_helper(script_host* host, const char* path);
    // Sends "AS" when a host is set, after everything the derived panel's
    // destructor sent.
    ~morv_script_helper() override;

    // Dispatch: notifyTally -> onTally, notifyButton -> alarm filter (when
    // alarmHandling is set) then onButton, notifyQuery -> onQuery (a non-empty
    // reply is returned as a new[] buffer), notifyTimer -> onTimer,
    // notifyRelease -> delete[] of that buffer, 6 -> onNotify6,
    // 7 -> onNotify7. Any other code, and a null record pointer for codes 1
    // and 2, does nothing. Returns null except for a query reply. An exception
    // from a handler is caught here and gives null.
    const char* notify(void* payload, std::int32_t code) override;

    // Handlers, in virtual table order. Records are valid only during the call.
    virtual void onButton(const buttonNotify& button) = 0;
    // The result is ignored by the dispatch.
    virtual std::int32_t onTally(const tallyNotify& tally) = 0;
    // An empty result means no reply.
    virtual morv_string onQuery(const queryNotify& query) = 0;
    virtual void onNotify7(const opaqueNotify& record);
    virtual void onTimer(std::int32_t timerId) = 0;
    virtual void onNotify6(const opaqueNotify& record);

    // --- Panel and control commands -------------------------------------
    // Fields are quoted with apostrophes and sent verbatim, without escaping.

    // "PS 'panel' 'basePath/layout'" (no "basePath/" when basePath is empty),
    // then " 'extra'" when extra is not empty. True when the host replied
    // non-null, or when there is no host. The reply is never given back.
    bool panelShow(const morv_string& panel, const morv_string& layout, const morv_string& extra);
    // "TP 'property=value' 'panel' 'control'". Reply ignored.
    void textPut(const morv_string& property, const morv_string& value, const morv_string& panel,
                 const morv_string& control);
    // "TP 'assignment' 'panel' 'control'", assignment being "property=value".
    void textPut(const morv_string& assignment, const morv_string& panel, const morv_string& control);
    // "TG 'panel' 'control' 'property'". The reply is copied and given back at
    // once. For property "all" result is the whole reply; otherwise the reply
    // is split at its first '=' and result is the value part when the name
    // part equals property (case-sensitive), else "" with a debugTrace
    // warning. No host or a null reply: result "" and nothing given back.
    void textGet(const morv_string& property, const morv_string& panel, const morv_string& control,
                 morv_string& result);
    // "CE 'panel' 'control'" / "CD 'panel' 'control'". Reply ignored.
    void controlEnable(const morv_string& panel, const morv_string& control);
    void controlDisable(const morv_string& panel, const morv_string& control);
    // "XI 'panel' 'filter'": the comma-separated reply as a list; the reply is
    // given back. No host or a null reply: an empty list.
    morv_stringlist controlList(const morv_string& panel, const morv_string& filter);
    // Substitutes a1..a9 into format with nine chained arg() calls and writes
    // the result to the debug output (no line end). Never involves the host.
    void debugTrace(const morv_string& format, const morv_string& a1, const morv_string& a2,
                    const morv_string& a3, const morv_string& a4, const morv_string& a5,
                    const morv_string& a6, const morv_string& a7, const morv_string& a8,
                    const morv_string& a9);

    // --- Device, router and timer commands --------------------------------

    // "SD 'name'". Sets *device and *second (where not null) to 0 first, then
    // to the leading integers of reply tokens 0 and 1 (apostrophe-quoted).
    // True when a reply came (it is then given back), false otherwise.
    bool deviceLookup(morv_string name, std::int32_t* device, std::int32_t* second);
    // "RC device source destination ',extra' 1|0". Reply ignored.
    void routerCrosspoint(std::int32_t device, std::int32_t source, std::int32_t destination,
                          const morv_string& extra, bool flag);
    // "RN device kind index"; kind 0 names a source, 1 a destination. A reply
    // is copied into name; a null reply leaves name as it was. The reply is
    // given back in both cases (null included). No host: nothing happens.
    void routerName(std::int32_t device, std::int32_t kind, std::int32_t index, morv_string& name);
    // "RR device first last", with " 'ADD'" when add is set. Reply ignored.
    void routerRegister(std::int32_t device, std::int32_t first, std::int32_t last, bool add);
    // "RP device first last". Reply ignored.
    void routerPoll(std::int32_t device, std::int32_t first, std::int32_t last);
    // "ET id interval"; interval 0 sends "ET id", which stops the timer.
    void timerStart(std::int32_t id, std::int32_t interval);
    // "ET id".
    void timerStop(std::int32_t id);

    // --- Alarm actions -----------------------------------------------------

    // Puts `state` into the "alarm" property of every control of panel "1"
    // whose name the host lists for the filter "alm_". State "ack" or "4"
    // acknowledges (values other than 0, 2, 3, 4, 5 become 4); any other
    // single character is written to "value"; longer states only set "alarm".
    void alarmAction(const morv_string& state);

protected:
    script_host* host;
    // Folder in front of layout file names in panelShow.
    morv_string basePath;
    // Routes "ActionAll" and "AckAll" presses to alarmAction. Off by default.
    bool alarmHandling;

private:
    const char* dispatch(void* payload, std::int32_t code);
    const char* answerQuery(const char* text);
    // Handles "ActionAll"/"AckAll" when alarmHandling is set; true if consumed.
    bool filterAlarmButton(const buttonNotify& button);
    // Sends `text` with sendExecute when a host is set; returns the reply.
    const char* execute(const char* text);
    void release(const char* reply);
};
