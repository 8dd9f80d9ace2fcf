#pragma once

#include "morv_client_callback.h"
#include "morv_string.h"
#include "morv_stringlist.h"
#include "notify_records.h"
#include "script_host.h"

#include <stddef.h>
#include <stdint.h>

// The framework base of every panel script. It turns the host's notify()
// calls into typed handler calls and wraps every host command in an
// operation. Command operations build one complete text and make one
// synchronous host->send(text, sendExecute); with a null host they send
// nothing and return their no-reply result. Nothing throws.
//
// A failed operation: when a command text cannot be built (memory ran out,
// a failed morv_string in it, a text too long), it is not sent, and the
// operation under way stops: no further command goes to the host until
// notify() returns, which then returns null. Replies already read are still
// given back. The next notify() starts afresh. A start-up that failed this
// way makes the export return null (see startedOrNull).
class commandText;

class morv_script_helper : public morv_client_callback {
public:
    // Scripts live in malloc's heap: when memory runs out, `new` gives null
    // and constructs nothing, instead of throwing. The deleting destructor
    // frees with the matching free.
    static void* operator new(size_t size) noexcept;
    static void operator delete(void* object) noexcept;

    // The entry point's result for a script just created with `new`: the
    // script, or null when it is null or its start-up failed (the script is
    // then destroyed without sending "AS").
    static morv_client_callback* startedOrNull(morv_script_helper* script);

    // host may be null (every command is then a no-op); path is the folder
    // of the panel's layout files, may be empty. Sends nothing itself.
    morv_script_helper(script_host* host, const char* path);
    // Sends "AS" when a host is set, after everything the derived panel's
    // destructor sent.
    ~morv_script_helper() override;

    // Dispatch: notifyTally -> onTally, notifyButton -> alarm filter (when
    // alarmHandling is set) then onButton, notifyQuery -> onQuery (a non-empty
    // reply is returned as a malloc buffer), notifyTimer -> onTimer,
    // notifyRelease -> free of that buffer, 6 -> onNotify6,
    // 7 -> onNotify7. Any other code, and a null record pointer for codes 1
    // and 2, does nothing. Returns null except for a query reply; null too
    // when the operation failed (see above).
    const char* notify(void* payload, int32_t code) override;

    // Handlers, in virtual table order. Records are valid only during the call.
    virtual void onButton(const buttonNotify& button) = 0;
    // The result is ignored by the dispatch.
    virtual int32_t onTally(const tallyNotify& tally) = 0;
    // An empty result means no reply.
    virtual morv_string onQuery(const queryNotify& query) = 0;
    virtual void onNotify7(const opaqueNotify& record);
    virtual void onTimer(int32_t timerId) = 0;
    virtual void onNotify6(const opaqueNotify& record);

    // --- Panel and control commands -------------------------------------
    // Fields are quoted with apostrophes and sent verbatim, without escaping.

    // Whether the operation under way failed (see above): during notify(),
    // and after the constructors while the script starts up.
    bool operationFailed() const { return operationFailed_; }

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
    void debugTrace(const morv_string& format, const morv_string& a1, const morv_string& a2, const morv_string& a3,
                    const morv_string& a4, const morv_string& a5, const morv_string& a6, const morv_string& a7,
                    const morv_string& a8, const morv_string& a9);

    // --- Device, router and timer commands --------------------------------

    // "SD 'name'". Sets *device and *second (where not null) to 0 first, then
    // to the leading integers of reply tokens 0 and 1 (apostrophe-quoted).
    // True when a reply came (it is then given back), false otherwise.
    bool deviceLookup(morv_string name, int32_t* device, int32_t* second);
    // "RC device source destination ',extra' 1|0". Reply ignored.
    void routerCrosspoint(int32_t device, int32_t source, int32_t destination, const morv_string& extra, bool flag);
    // "RN device kind index"; kind 0 names a source, 1 a destination. A reply
    // is copied into name; a null reply leaves name as it was. The reply is
    // given back in both cases (null included). No host, or a command that
    // was not sent (see a failed operation above): nothing is given back.
    void routerName(int32_t device, int32_t kind, int32_t index, morv_string& name);
    // "RR device first last", with " 'ADD'" when add is set. Reply ignored.
    void routerRegister(int32_t device, int32_t first, int32_t last, bool add);
    // "RP device first last". Reply ignored.
    void routerPoll(int32_t device, int32_t first, int32_t last);
    // "ET id interval"; interval 0 sends "ET id", which stops the timer.
    void timerStart(int32_t id, int32_t interval);
    // "ET id".
    void timerStop(int32_t id);

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
    const char* dispatch(void* payload, int32_t code);
    const char* answerQuery(const char* text);
    // Handles "ActionAll"/"AckAll" when alarmHandling is set; true if consumed.
    bool filterAlarmButton(const buttonNotify& button);
    // Sends `text` with sendExecute when a host is set and no operation
    // failed; returns the reply. A failed text is not sent and fails the
    // operation.
    const char* execute(const char* text);
    const char* execute(const commandText& text);
    const char* execute(const morv_string& text);
    void release(const char* reply);
    // Stops the operation under way: nothing more is sent until notify()
    // returns.
    void failOperation() { operationFailed_ = true; }

    bool operationFailed_;
};
