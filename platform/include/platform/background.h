// Work that another thread does for the user-interface thread and hands back as a posted message.
//
// PostMessageW may be called from any thread, as on Windows: a message posted from another thread
// joins the user-interface thread's queue, behind what was posted before, and wakes a loop that is
// waiting for input. Nothing else of the platform may be called from another thread.
//
// A thread whose result will come back as a posted message announces itself while it works. A
// person's display needs nothing of the kind; the headless screen does, since it has no wall clock
// and calls the program idle when its queue is empty: while work is announced it waits for the
// work's messages instead (see PlatformRunUntilIdle), so that a scripted run sees the result as
// a person would a moment later.
#pragma once

extern "C" {

// Called by the user-interface thread before it starts the work, or by the worker itself.
void PlatformBeginBackgroundWork();
// Called once for each begin, from any thread, after the work's last message was posted.
void PlatformEndBackgroundWork();
// How many pieces of work are announced and not yet ended.
int PlatformBackgroundWork();
}
