// Helpers shared by the tests: scratch directories, whole-file reads and writes,
// and running the real lumen binary.
#ifndef LUMEN_TESTS_TEST_SUPPORT_H_
#define LUMEN_TESTS_TEST_SUPPORT_H_

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

// Runs the lumen binary in directory with the given arguments (each quoted for
// the shell) and returns its exit code, or -1 when it did not exit normally.
int runLumenIn(const std::string& directory, const std::vector<std::string>& arguments,
               const std::string& environment = "");

// The path of a file in the source tree's tests/data folder.
std::string testDataPath(const std::string& name);

// Output text as a reader sees it, in UTF-8: windows-1252 bytes (other bytes as
// Latin-1 with 0x80-0x9F from windows-1252), numeric references and &lt; &gt;
// &amp; &nbsp; decoded, tags turned into blanks, surrogate pairs written as two
// references joined. UTF-8 output is decoded as such when utf8 is set.
std::string DecodeOutput(const std::string& bytes, bool utf8 = false);
// Share of the expected words (one item per line of expected) holding a letter
// that the decoded output holds, each counted as often as expected (and found).
double LetterRecall(const std::string& output, const std::string& expected, bool utf8 = false);

#endif  // LUMEN_TESTS_TEST_SUPPORT_H_
