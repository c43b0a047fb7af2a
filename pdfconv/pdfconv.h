// The two functions the pdfconv plug-in exports to the lumen program, which loads
// it at run time for ".PDF" inputs and calls convInit, then convConvert. Nothing
// else of the library is visible from outside.
#ifndef LUMEN_PDFCONV_PDFCONV_H_
#define LUMEN_PDFCONV_PDFCONV_H_

#ifdef _WIN32
#define PDFCONV_EXPORT __declspec(dllexport)
#else
#define PDFCONV_EXPORT __attribute__((visibility("default")))
#endif

extern "C" {

// Prepares the library; nothing is kept between calls. Returns 0.
PDFCONV_EXPORT int convInit(const char* configPath, const char* section);

// Converts the PDF at input into output with the settings of section in the
// configuration file configPath. Returns 0, or the code of the error page copied
// over output: -4 not a PDF, -5 unreadable or output not writable, -6 encrypted
// with a password. Never throws.
PDFCONV_EXPORT int convConvert(const char* input, const char* output, const char* configPath,
                               const char* section);
}

#endif  // LUMEN_PDFCONV_PDFCONV_H_
