// Word recall of a converter's output against a corpus expect file (one expected
// text per line), as the corpus tools count words.
#ifndef LUMEN_TESTS_CORPUS_WORDS_H_
#define LUMEN_TESTS_CORPUS_WORDS_H_

#include <string>

// Output as UTF-8 text: tags become blanks, numeric references and &lt; &gt;
// &amp; &nbsp; are decoded (surrogate pairs written as two references joined), and
// other bytes are read as windows-1252, or taken as they are when !windows1252.
std::string DecodeOutput(const std::string& bytes, bool windows1252 = true);

// Share of the expected words (with lettersOnly, those holding a letter) that the
// decoded text holds, each counted as often as it is expected and found. Words
// are split at blanks and separators, punctuation stripped at both ends.
double WordRecall(const std::string& text, const std::string& expected, bool lettersOnly);

inline double LetterRecall(const std::string& output, const std::string& expected) {
  return WordRecall(DecodeOutput(output), expected, true);
}

#endif  // LUMEN_TESTS_CORPUS_WORDS_H_
