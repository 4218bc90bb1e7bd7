#pragma once

#include <string>
#include <vector>

// Records what the program asks of the system's browser control: the calls
// of every WebBrowser control in this process are noted, in order, while the
// record is on, then passed on to the control unchanged. Settings read back
// can only show a value that the control keeps; this shows each call made.
//
// Notes look like:
//   put_Silent 0                 put_RegisterAsDropTarget -1
//   Navigate http://a/ flags=VT_I4:0 frame=VT_BSTR:null post=VT_EMPTY headers=VT_BSTR:null
//   Navigate2 ...                (any call of it is noted, without its arguments)
// Extra notes made by the test itself with noteBrowserEvent go in between.

// Starts noting (making one control to reach the calls of all); false when
// no control can be made.
bool startRecordingBrowserCalls();
void stopRecordingBrowserCalls();
const std::vector<std::string>& recordedBrowserCalls();
void noteBrowserEvent(const std::string& note);
