// A small writer of PowerPoint record streams for tests: atoms, containers, text
// atoms, the atoms that tie slides and notes together, and the persist directory,
// packed with the compound-file writer into a presentation file.
#ifndef LUMEN_TESTS_PPT_WRITER_H_
#define LUMEN_TESTS_PPT_WRITER_H_

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// A record: the 8-byte header (instance in the high 12 bits of the first word, the
// low 4 bits 0xF for a container), then the body.
std::string PptAtom(uint16_t type, const std::string& body, uint16_t instance = 0);
std::string PptContainer(uint16_t type, const std::string& children, uint16_t instance = 0);
// A header whose length field says `length`, whatever follows.
std::string PptHeader(uint16_t type, uint32_t length, bool container = false);

std::string PptTextChars(const std::u16string& text);  // TextCharsAtom, UTF-16LE
std::string PptTextBytes(const std::string& text);     // TextBytesAtom
std::string PptTextHeader(uint32_t kind);              // 0 title, 1 body, 2 notes, 4 other
// SlideAtom: first two 32-bit values, placeholders, master id, notes id, flags.
std::string PptSlideAtom(uint32_t first = 1, uint32_t second = 2, uint32_t notesId = 0);
std::string PptNotesAtom(uint32_t slideId);
std::string PptDocumentAtom(uint32_t notesMasterPersistId);
std::string PptSlidePersist(uint32_t persistId, uint32_t slideId);
// One directory entry per (persist id, stream position).
std::string PptPersistDirectory(const std::vector<std::pair<uint32_t, uint32_t>>& entries);

// UserEditAtom: the previous edit's position (0 for none), the persist
// directory's position, the Document's persist id and, when not 0, the persist id
// of an encryption session (the atom then has its optional last field).
std::string PptUserEdit(uint32_t lastEdit, uint32_t persistDirectory, uint32_t documentId = 1,
                        uint32_t encryptSession = 0);
// The "Current User" stream: a CurrentUserAtom naming the edit at currentEdit.
std::string PptCurrentUser(uint32_t currentEdit);

// A header atom and its text, as a ClientTextbox holds them.
std::string PptHeaderedText(uint32_t kind, const std::u16string& text);

// A stream built record by record, each record's position remembered by the caller.
struct PptStreamBuilder {
  std::string bytes;
  uint32_t add(const std::string& record) {
    uint32_t at = static_cast<uint32_t>(bytes.size());
    bytes += record;
    return at;
  }
};

// A compound file holding the stream as "PowerPoint Document".
std::string PptFile(const std::string& stream);

#endif  // LUMEN_TESTS_PPT_WRITER_H_
