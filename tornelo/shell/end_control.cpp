#include "shell/end_control.h"

bool EndControl::AskEnd() {
    if (ending_) return false;
    if (Waiting()) {
        pending_ = true;
        return false;
    }
    return true;
}

bool EndControl::TakePendingEnd() {
    if (!pending_ || Waiting()) return false;
    pending_ = false;
    return true;
}

void EndControl::Ending() {
    ending_ = true;
    pending_ = false;
}
