#pragma once
// Fixed texts shared by both programs. Each program keeps its own texts in
// its own catalogue beside its code, built on the same Message type.
#include "common/message.h"

namespace qt::msg {

// Caption prefix of the error report about a file being worked on.
inline const Message errorCaption{"エラー　"};
inline const Message lineCaption{"　LINE:"};

}  // namespace qt::msg
