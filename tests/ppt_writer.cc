#include "tests/ppt_writer.h"

#include "tests/cfb_writer.h"

std::string PptHeader(uint16_t type, uint32_t length, bool container) {
  return LeU16(container ? 0x000F : 0x0000) + LeU16(type) + LeU32(length);
}

std::string PptAtom(uint16_t type, const std::string& body, uint16_t instance) {
  return LeU16(static_cast<uint16_t>(instance << 4)) + LeU16(type) +
         LeU32(static_cast<uint32_t>(body.size())) + body;
}

std::string PptContainer(uint16_t type, const std::string& children, uint16_t instance) {
  return LeU16(static_cast<uint16_t>((instance << 4) | 0xF)) + LeU16(type) +
         LeU32(static_cast<uint32_t>(children.size())) + children;
}

std::string PptTextChars(const std::u16string& text) {
  std::string body;
  for (char16_t c : text) body += LeU16(static_cast<uint16_t>(c));
  return PptAtom(4000, body);
}

std::string PptTextBytes(const std::string& text) { return PptAtom(4008, text); }

std::string PptTextHeader(uint32_t kind) { return PptAtom(3999, LeU32(kind)); }

std::string PptSlideAtom(uint32_t first, uint32_t second, uint32_t notesId) {
  return PptAtom(1007, LeU32(first) + LeU32(second) + LeU32(0) + LeU32(0x80000000) +
                           LeU32(notesId) + LeU32(0));
}

std::string PptNotesAtom(uint32_t slideId) { return PptAtom(1009, LeU32(slideId) + LeU32(0)); }

std::string PptDocumentAtom(uint32_t notesMasterPersistId) {
  return PptAtom(1001, std::string(24, '\0') + LeU32(notesMasterPersistId) + std::string(12, '\0'));
}

std::string PptSlidePersist(uint32_t persistId, uint32_t slideId) {
  return PptAtom(1011, LeU32(persistId) + LeU32(0) + LeU32(0) + LeU32(slideId) + LeU32(0));
}

std::string PptPersistDirectory(const std::vector<std::pair<uint32_t, uint32_t>>& entries) {
  std::string body;
  for (const auto& entry : entries) body += LeU32(entry.first | (1u << 20)) + LeU32(entry.second);
  return PptAtom(6002, body);
}

std::string PptUserEdit(uint32_t lastEdit, uint32_t persistDirectory, uint32_t documentId,
                        uint32_t encryptSession) {
  std::string body = LeU32(256) + LeU16(0) + std::string("\0\x03", 2) + LeU32(lastEdit) +
                     LeU32(persistDirectory) + LeU32(documentId) + LeU32(16) + LeU16(1) +
                     LeU16(0);
  if (encryptSession != 0) body += LeU32(encryptSession);
  return PptAtom(4085, body);
}

std::string PptCurrentUser(uint32_t currentEdit) {
  // Fixed part (size, header token, the edit, name length, file version, major and
  // minor version, unused), no user name, then the release version.
  return PptAtom(4086, LeU32(0x14) + LeU32(0xE391C05F) + LeU32(currentEdit) + LeU16(0) +
                           LeU16(0x03F4) + std::string("\x03\0\0\0", 4) + LeU32(8));
}

std::string PptHeaderedText(uint32_t kind, const std::u16string& text) {
  return PptTextHeader(kind) + PptTextChars(text);
}

std::string PptFile(const std::string& stream) {
  return BuildCompoundFile({{"PowerPoint Document", stream}});
}
