#include "libswf/exception.h"

#include "libswf/movie.h"

namespace libswf {

SwfException::SwfException(std::uint32_t code, std::string reason)
    : m_code(code), m_reason(std::move(reason)) {
    rebuildMessage();
}

void SwfException::setTagContext(std::uint16_t tagCode, std::size_t tagIndex,
                                 std::optional<std::uint64_t> tagOffset, const void* tagObject) {
    if (m_tagCode)
        return;
    m_tagObject = tagObject;
    m_tagCode = tagCode;
    m_tagIndex = tagIndex;
    m_tagOffset = tagOffset;
    rebuildMessage();
}

void SwfException::setOffset(std::uint64_t offset) {
    m_offset = offset;
    rebuildMessage();
}

const char* SwfException::what() const noexcept {
    return m_message.c_str();
}

void SwfException::rebuildMessage() {
    m_message = swfErrorCodeName(m_code);
    m_message += ": ";
    m_message += m_reason;
    if (!m_tagCode && !m_offset)
        return;
    m_message += " (";
    if (m_tagCode) {
        m_message += "tag " + std::to_string(*m_tagCode);
        if (const char* name = swfTagName(*m_tagCode)) {
            m_message += ' ';
            m_message += name;
        }
        if (m_tagOffset)
            m_message += " at offset " + std::to_string(*m_tagOffset);
        m_message += ", tag index " + std::to_string(*m_tagIndex);
        if (m_offset)
            m_message += "; failed at offset " + std::to_string(*m_offset);
    } else {
        m_message += "at offset " + std::to_string(*m_offset);
    }
    m_message += ')';
}

SwfFileException::SwfFileException(std::uint32_t code, std::string fileName, std::string reason)
    : SwfException(code, std::move(reason)), m_fileName(std::move(fileName)) {}

const char* swfErrorCodeName(std::uint32_t code) {
    switch (code) {
    case SwfException::ZlibFailure:
        return "ZlibFailure";
    case SwfException::ValueOutOfRange:
        return "ValueOutOfRange";
    case SwfException::UnexpectedEnd:
        return "UnexpectedEnd";
    case SwfFileException::OpenForReadFailed:
        return "OpenForReadFailed";
    case SwfFileException::OpenForWriteFailed:
        return "OpenForWriteFailed";
    case SwfFileException::ReadFailed:
        return "ReadFailed";
    case SwfFileException::WriteFailed:
        return "WriteFailed";
    default:
        return "UnknownError";
    }
}

} // namespace libswf
