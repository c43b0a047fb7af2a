// Helpers shared by the tests: scratch directories, whole-file reads and writes,
// and running the real lumen binary.
#ifndef LUMEN_TESTS_TEST_SUPPORT_H_
#define LUMEN_TESTS_TEST_SUPPORT_H_

#include <cstdint>
#include <map>
#include <string>
#include <vector>

// A fresh directory under the system's temporary directory, removed with its
// contents when the object goes away.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const std::string& path() const { return path_; }
  // path() + "/" + name
  std::string file(const std::string& name) const;

 private:
  std::string path_;
};

void writeFile(const std::string& path, const std::string& bytes);
// The whole file; sets *exists (when given) to whether it could be read.
std::string readFile(const std::string& path, bool* exists = nullptr);
bool fileIsPresent(const std::string& path);

// Runs the lumen binary in directory with the given arguments and returns its
// exit code, or -1 when it did not exit normally (killed by a signal, or ended by
// an exception on Windows). environment holds blank-separated NAME=value settings
// added to this process's environment for the run ("TZ=UTC").
int runLumenIn(const std::string& directory, const std::vector<std::string>& arguments,
               const std::string& environment = "");

// runLumenIn for another program, such as a copy of lumen placed beside a library.
int runProgramIn(const std::string& directory, const std::string& program,
                 const std::vector<std::string>& arguments, const std::string& environment = "");

// Sets the time zone of this process's local time (TZ, as POSIX and the C runtime
// of Windows both read it); nullptr removes the setting.
void setTimeZone(const char* zone);

// Holds an exclusive lock over the whole of a file, as another process might,
// until the object goes away. locked() tells whether the lock was taken.
class FileLock {
 public:
  explicit FileLock(const std::string& path);
  ~FileLock();
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;

  bool locked() const { return locked_; }

 private:
  std::intptr_t handle_ = -1;  // the open file: a HANDLE on Windows, else a descriptor
  bool locked_ = false;
};

// The path of a file in the source tree's tests/data folder.
std::string testDataPath(const std::string& name);

// Output text as a reader sees it, in UTF-8: windows-1252 bytes (other bytes as
// Latin-1 with 0x80-0x9F from windows-1252), numeric references and &lt; &gt;
// &amp; &nbsp; decoded, tags turned into blanks, surrogate pairs written as two
// references joined. UTF-8 output is decoded as such when utf8 is set.
std::string DecodeOutput(const std::string& bytes, bool utf8 = false);
// Share of the expected words (with lettersOnly, those holding a letter) that the
// already decoded text holds, each counted as often as it is expected and found.
// Words are split at blanks and separators, punctuation stripped at both ends.
double WordRecall(const std::string& text, const std::string& expected, bool lettersOnly);
// Share of the expected words (one item per line of expected) holding a letter
// that the decoded output holds, each counted as often as expected (and found).
double LetterRecall(const std::string& output, const std::string& expected, bool utf8 = false);
// The expected words holding a letter that the decoded output holds, with how
// often each was found; *total counts the expected words holding a letter.
std::map<std::string, int> LetterWordsFound(const std::string& output,
                                            const std::string& expected, bool utf8,
                                            int* total);
// True when bytes are well-formed UTF-8 (no overlong lead bytes, no truncation).
bool IsValidUtf8(const std::string& bytes);

#endif  // LUMEN_TESTS_TEST_SUPPORT_H_
