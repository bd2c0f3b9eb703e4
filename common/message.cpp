#include "common/message.h"

#include "common/cp932.h"

namespace qt {

const std::string& Message::cp932() const {
    if (!converted_) {
        cp932_ = utf8ToCp932(utf8_);
        converted_ = true;
    }
    return cp932_;
}

}  // namespace qt
