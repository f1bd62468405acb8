#include "core/error.h"

#include <utility>

namespace zo {

Error::Error(Text text, std::int32_t hresult)
    : text_(std::move(text)), hresult_(hresult), utf8_(ToUtf8(text_)) {}

}  // namespace zo
