#include "cli/wrapped_output.h"

#include "cli/wrapped_help.h"

#include <string_view>

WrappingBuffer::WrappingBuffer(std::streambuf* target, size_t width)
    : target_(target), width_(width) {}

WrappingBuffer::~WrappingBuffer() {
    sync();
}

bool WrappingBuffer::PassPending() {
    const auto size = std::streamsize(line_.size());
    const bool passed = target_->sputn(line_.data(), size) == size;
    line_.clear();
    return passed;
}

int WrappingBuffer::overflow(int c) {
    if (c == traits_type::eof()) return traits_type::not_eof(c);
    line_ += char(c);
    if (c == '\r') return PassPending() ? c : traits_type::eof();
    if (c != '\n') return c;
    line_ = WrappedHelp(line_, width_);
    return PassPending() ? c : traits_type::eof();
}

int WrappingBuffer::sync() {
    const bool passed = PassPending();
    return passed && target_->pubsync() == 0 ? 0 : -1;
}

bool PrintsMessages(int argc, const char* const* argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::string_view(argv[i]) == "--json") return false;
    }
    return true;
}
