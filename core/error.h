#pragma once
// The one error type of the program: a user-readable text plus, for platform and automation
// failures, the HRESULT that caused it. The message loop shows text(); nothing else shows errors.
#include <cstdint>
#include <exception>
#include <string>

#include "core/text.h"

namespace zo {

class Error : public std::exception {
  public:
    explicit Error(Text text, std::int32_t hresult = 0);

    [[nodiscard]] const Text& text() const noexcept { return text_; }
    [[nodiscard]] std::int32_t hresult() const noexcept { return hresult_; }
    [[nodiscard]] const char* what() const noexcept override { return utf8_.c_str(); }

  private:
    Text text_;
    std::int32_t hresult_;
    std::string utf8_;
};

}  // namespace zo
