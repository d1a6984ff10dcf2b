// What a timed build of the installer notes of each platform call and dialog
// message: the full record (CallTrace) or only the moments its boxes are
// called (BoxMoments).
#pragma once

#include <cstdint>

namespace bench {

class CallRecorder {
public:
    virtual ~CallRecorder() = default;
    // Returns a token for End.
    virtual std::uint32_t Begin(const char* name) = 0;
    virtual void End(std::uint32_t token) = 0;
};

// Records one call from construction to destruction.
class RecordedCall {
public:
    RecordedCall(CallRecorder& recorder, const char* name) : recorder_(recorder), token_(recorder.Begin(name)) {}
    ~RecordedCall() { recorder_.End(token_); }
    RecordedCall(const RecordedCall&) = delete;
    RecordedCall& operator=(const RecordedCall&) = delete;

private:
    CallRecorder& recorder_;
    std::uint32_t token_;
};

}  // namespace bench
