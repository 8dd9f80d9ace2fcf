#pragma once

namespace panel_host {

// Two panels of one host, called on one thread and loaded alike. Panel 2
// registers for destination 7; panel 1 routes source 5 to it, and the host
// gives panel 2 the tally from inside panel 1's "RC". Each then starts timer
// 1; panel 2's stops ticking 3 s before the trace ends.
inline const char* const twoPanelTrace =
    "morv-trace 2\n"
    "0 7 0 trace module=\"m\" inner=\"i\" pid=1 cap=5000 clock=host\n"
    "0 7 1 load host=0x10 path=\"p\"\n"
    "0 7 1 created 0x11\n"
    "0 7 2 load host=0x20 path=\"p\"\n"
    "0 7 2 send 0 \"RR 1 7 7\"\n"
    "0 7 2 reply null\n"
    "0 7 2 created 0x21\n"
    "10 7 1 notify 2 button panel=\"1\" control=\"Take\" name=\"press\" value=\"1\" has-value=1 count=0\n"
    "10 7 1 send 0 \"RC 1 5 7 ',' 0\"\n"
    "10 7 2 notify 1 tally device=1 index=7 value=5 text=\"Source 5\"\n"
    "10 7 2 send 0 \"ET 1 1000\"\n"
    "10 7 2 reply null\n"
    "10 7 2 returned null\n"
    "10 7 1 reply null\n"
    "10 7 1 send 0 \"ET 1 1000\"\n"
    "10 7 1 reply null\n"
    "10 7 1 returned null\n"
    "1010 7 1 notify 4 timer 1\n"
    "1010 7 1 returned null\n"
    "1010 7 2 notify 4 timer 1\n"
    "1010 7 2 returned null\n"
    "2010 7 1 notify 4 timer 1\n"
    "2010 7 1 returned null\n"
    "3010 7 1 notify 4 timer 1\n"
    "3010 7 1 returned null\n"
    "4010 7 1 notify 4 timer 1\n"
    "4010 7 1 returned null\n"
    "4020 7 0 unload\n";

}  // namespace panel_host
