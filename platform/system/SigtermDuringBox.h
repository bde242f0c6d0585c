// A message box shown by SDL runs in a child process that SDL waits for,
// retrying the wait when a signal breaks it: SIGTERM would go unanswered for
// as long as the box stays up.
#pragma once

#include <functional>

namespace platform {

// Runs `show` (which may wait on children of the calling thread) so that a
// SIGTERM meanwhile ends those children and with them the wait. Once `show`
// has returned, the SIGTERM goes on to the handler that was there before (for
// SDL: the window's quit). A box with no child to end (drawn in this process)
// is ended by the signal's default action after 0.9 s. Returns whether one came.
bool ShowAnsweringSigterm(const std::function<void()>& show);

}  // namespace platform
