// The fixture of every contract test: a fresh environment, paths in its
// scratch folder, and small helpers that own their handles.
#pragma once

#include "tests/contract/ContractEnvironment.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace contract {

using Bytes = std::vector<std::uint8_t>;

// Closes the file it holds when it goes out of scope.
class ScopedFile {
public:
    ScopedFile(platform::Platform& os, platform::FileHandle handle) : os_(os), handle_(handle) {}
    ~ScopedFile() {
        if (IsOpen()) os_.CloseFile(handle_);
    }
    ScopedFile(const ScopedFile&) = delete;
    ScopedFile& operator=(const ScopedFile&) = delete;
    bool IsOpen() const { return handle_ != platform::kInvalidFile; }
    platform::FileHandle Get() const { return handle_; }
    // Closes now; returns CloseFile's result.
    bool Close() {
        const platform::FileHandle handle = handle_;
        handle_ = platform::kInvalidFile;
        return os_.CloseFile(handle);
    }

private:
    platform::Platform& os_;
    platform::FileHandle handle_;
};

class PlatformContract : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override { env_.reset(); }

    platform::Platform& os() { return env_->Os(); }
    Environment& env() { return *env_; }
    // `relative` inside the scratch folder.
    std::string Path(const std::string& relative) const { return folder_ + relative; }

    // Creates or replaces a file with `bytes`; false (with a test failure) if it could not.
    bool MakeFile(const std::string& relative, const Bytes& bytes);
    bool MakeReadOnlyFile(const std::string& relative, const Bytes& bytes);
    // The whole content of a file, or nothing when it cannot be read.
    Bytes Content(const std::string& relative);
    // Opens an existing file.
    std::unique_ptr<ScopedFile> Open(const std::string& relative, std::uint32_t access, std::uint32_t share);
    bool IsReadOnly(const std::string& relative);

private:
    std::unique_ptr<Environment> env_;
    std::string folder_;
};

}  // namespace contract
