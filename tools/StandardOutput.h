#pragma once

#include <array>
#include <streambuf>

namespace kodexa::cpvquery {

// std::cout for a command-line tool whose output is its result: while one exists, std::cout writes
// through it to descriptor 1, and it keeps the first write error with its reason. A full disk,
// /dev/full or a closed descriptor must not pass for success, and stdio's own buffer forgets why a
// write failed by the time the program ends.
class StandardOutput final : public std::streambuf {
public:
    // closed: descriptor 1 was closed when the program started (it is /dev/null now, so that no
    // other file takes its number); anything written then fails with EBADF.
    explicit StandardOutput(bool closed = false);
    ~StandardOutput() override; // std::cout gets its own buffer back
    StandardOutput(const StandardOutput&) = delete;
    StandardOutput& operator=(const StandardOutput&) = delete;

    // Writes what is left and closes the descriptor. On failure it says so on standard error
    // ("cpvquery: cannot write standard output: No space left on device") and returns false.
    bool finish();

protected:
    int_type overflow(int_type c) override;
    std::streamsize xsputn(const char* data, std::streamsize size) override;
    int sync() override;

private:
    bool drain();
    bool writeOut(const char* data, std::size_t size);

    std::streambuf* previous_;
    std::array<char, 64 * 1024> buffer_;
    int error_ = 0; // errno of the first failed write
    bool wrote_ = false;
    bool closed_;
};

} // namespace kodexa::cpvquery
