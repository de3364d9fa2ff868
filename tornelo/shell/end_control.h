// When tornelo may end. While it waits on the shell, Windows hands it the
// messages other programs send it: an end among them (a second start, a
// sign-out) is only recorded then, and carried out once the wait is over
// and no handler is in progress. Carried out inside the wait, the step that
// waited would go on after the end: a tray icon for a destroyed window,
// styles cleared again, icons moved.
#pragma once

class EndControl {
public:
    // Around every wait on the shell; waits may nest.
    void WaitBegins() { ++openWaits_; }
    void WaitEnds() { --openWaits_; }
    bool Waiting() const { return openWaits_ > 0; }

    // An end was asked for: true when it is to be carried out now. During
    // a wait it is recorded instead; once ending, it has nothing to do.
    bool AskEnd();
    // Asked where no handler is in progress (the message loop): true, once,
    // when a recorded end is to be carried out now.
    bool TakePendingEnd();
    bool Pending() const { return pending_; }
    // The end is being carried out: what was recorded is done with.
    void Ending();

private:
    int openWaits_ = 0;
    bool pending_ = false;
    bool ending_ = false;
};
