#pragma once
// Messages a terminal of 80 columns shows without breaking a word: every line the command
// prints to a terminal is wrapped as its help is, as the line ends. Never into a file or a
// pipe, and never JSON; errors are messages, with --json too. `default` shows no settings
// file on a terminal, so what it prints there is messages as well.

#include <ostream>
#include <streambuf>
#include <string>

// A stream buffer that passes each finished line to `target` wrapped at `width` columns. A
// carriage return (a progress line redrawn in place) and a flush pass what is pending as it is.
class WrappingBuffer : public std::streambuf {
  public:
    explicit WrappingBuffer(std::streambuf* target, size_t width = 80);
    ~WrappingBuffer() override;

  protected:
    int overflow(int c) override;
    int sync() override;

  private:
    bool PassPending();
    std::streambuf* target_;
    size_t width_;
    std::string line_;
};

// Whether the command line's standard output is messages a person reads: not JSON.
bool PrintsMessages(int argc, const char* const* argv);
