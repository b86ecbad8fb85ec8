// Failures of the SWF library: a numeric code, a short English reason and, where known, the
// tag and byte offset at which reading or writing failed.
#pragma once

#include <cstdint>
#include <exception>
#include <optional>
#include <string>

namespace libswf {

class SwfException : public std::exception {
public:
    static constexpr std::uint32_t ZlibFailure = 1;
    static constexpr std::uint32_t ValueOutOfRange = 2;
    static constexpr std::uint32_t UnexpectedEnd = 3;

    SwfException(std::uint32_t code, std::string reason);

    std::uint32_t code() const noexcept { return m_code; }
    const std::string& reason() const noexcept { return m_reason; }
    std::optional<std::uint16_t> tagCode() const noexcept { return m_tagCode; }
    std::optional<std::size_t> tagIndex() const noexcept { return m_tagIndex; }
    std::optional<std::uint64_t> offset() const noexcept { return m_offset; }
    std::optional<std::uint64_t> tagOffset() const noexcept { return m_tagOffset; }

    // The tag object that failed to size or write, so that a caller who built it can say
    // where it came from; null when not known.
    const void* tagObject() const noexcept { return m_tagObject; }

    // Records the tag being read or written (its header offset when reading). The innermost
    // tag wins: a failure inside a sprite names the nested tag, not the sprite.
    void setTagContext(std::uint16_t tagCode, std::size_t tagIndex,
                       std::optional<std::uint64_t> tagOffset, const void* tagObject = nullptr);

    // The byte offset in the (uncompressed) movie where the failure was found.
    void setOffset(std::uint64_t offset);

    // "UnexpectedEnd: <reason> (tag 12 DoAction at offset 1200, tag index 5; at offset 1234)"
    const char* what() const noexcept override;

protected:
    void rebuildMessage();

private:
    std::uint32_t m_code;
    std::string m_reason;
    std::optional<std::uint16_t> m_tagCode;
    std::optional<std::size_t> m_tagIndex;
    std::optional<std::uint64_t> m_offset;
    std::optional<std::uint64_t> m_tagOffset;
    const void* m_tagObject = nullptr;
    std::string m_message;
};

// A whole-file read or write failed; carries the file name.
class SwfFileException : public SwfException {
public:
    static constexpr std::uint32_t OpenForReadFailed = 0x1001;
    static constexpr std::uint32_t OpenForWriteFailed = 0x1002;
    static constexpr std::uint32_t ReadFailed = 0x1003;
    static constexpr std::uint32_t WriteFailed = 0x1004;

    SwfFileException(std::uint32_t code, std::string fileName, std::string reason);

    const std::string& fileName() const noexcept { return m_fileName; }

private:
    std::string m_fileName;
};

// The name of an exception code ("UnexpectedEnd", "OpenForReadFailed", ...).
const char* swfErrorCodeName(std::uint32_t code);

} // namespace libswf
