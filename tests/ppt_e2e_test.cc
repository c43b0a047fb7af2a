// End-to-end runs of the PowerPoint converter through the lumen program, on
// presentations built record by record, compared byte for byte.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/cfb_writer.h"
#include "tests/ppt_writer.h"
#include "tests/test_support.h"

namespace {

const char kHead[] =
    "<META NAME=\"QVEFILENAME\" CONTENT=\"in.ppt\">\n"
    "<META NAME=\"QVEFULLFILENAME\" CONTENT=\"in.ppt\">\n";

constexpr uint16_t kSlide = 1006, kNotes = 1008, kDocument = 1000, kMainMaster = 1016,
                   kDrawing = 1036, kList = 4080;

class PptEndToEnd : public ::testing::Test {
 protected:
  // Converts `file` as in.ppt with the given [Ppt] lines; the stop list file is
  // stop.txt when `stopList` is given.
  std::string Convert(const std::string& file, const std::string& settings,
                      const std::string* stopList = nullptr) {
    writeFile(dir_.file("lumen.cfg"),
              "[Configuration]\nHTMLError4=e4.html\nHTMLError5=e5.html\nHTMLError6=e6.html\n"
              "HTMLError8=e8.html\n[Ppt]\nOutputCharSet=" +
                  charset_ + "\nStopList=stop.txt\nCharsetConvTablesDirectory=" +
                  std::string(LUMEN_SOURCE_DIR) + "/tables\n" + settings);
    for (const char* page : {"e4", "e5", "e6", "e8"}) {
      writeFile(dir_.file(std::string(page) + ".html"), std::string("page ") + page);
    }
    if (stopList != nullptr) writeFile(dir_.file("stop.txt"), *stopList);
    writeFile(dir_.file("in.ppt"), file);
    EXPECT_EQ(runLumenIn(dir_.path(), {"in.ppt", "out.html"}), 0);
    return readFile(dir_.file("out.html"));
  }
  std::string Html(const std::string& stream) { return Convert(PptFile(stream), ""); }
  std::string Xml(const std::string& stream, const std::string& more = "") {
    return Convert(PptFile(stream), "OutputXML=1\n" + more);
  }

  ScratchDir dir_;
  std::string charset_ = "UTF8";
};

std::string Slide(const std::string& records) {
  return PptContainer(kSlide, PptContainer(kDrawing, records));
}

TEST_F(PptEndToEnd, HtmlLinesWithStopList) {
  std::string stream = Slide(PptTextHeader(0) + PptTextBytes("a<b") + PptTextChars(u"it's")) +
                       PptTextChars(u"Click here") + PptTextBytes("click here") + PptTextBytes("");
  struct Case {
    const char* stopList;  // nullptr: no file
    const char* lines;
  } cases[] = {
      {nullptr, "a&lt;b\nit\"s\nClick here\nclick here\n\n"},
      {"Click\r\n", "a&lt;b\nit\"s\n\nclick here\n\n"},
      {"a<\nzz\r", "\nit\"s\nClick here\nclick here\n\n"},
      {"zz\n\nyy\n", "\n\n\n\n\n"},  // a blank line stops every text
  };
  for (const Case& c : cases) {
    std::string stop = c.stopList ? c.stopList : "";
    if (c.stopList == nullptr) std::remove(dir_.file("stop.txt").c_str());
    EXPECT_EQ(Convert(PptFile(stream), "", c.stopList ? &stop : nullptr),
              kHead + std::string(c.lines))
        << (c.stopList ? c.stopList : "(none)");
  }
}

TEST_F(PptEndToEnd, XmlSlidesTitlesAndTags) {
  std::string stream = PptTextBytes("before any slide") +
                       Slide(PptTextHeader(0) + PptTextChars(u"Intro")) +
                       Slide(PptTextBytes("plain") + PptTextHeader(1) + PptTextBytes("b") +
                             PptTextHeader(4) + PptTextBytes("box") + PptTextHeader(5) +
                             PptTextBytes("five") + PptTextHeader(2) + PptTextBytes("n"));
  EXPECT_EQ(Xml(stream),
            "<document>\n"
            "<slide><title> Intro<BR> </title><P><title>\n</title>\n<P></slide>"
            "<slide><B>Slide -  2 </B><P>plain<BR><body>\nb<BR></body>\n"
            "<textbox>\nbox<BR></textbox>\nfive<BR><notes>\nn<BR></notes>\n<P></slide>"
            "</document>\n");

  writeFile(dir_.file("head.txt"), "HEAD\n");
  EXPECT_EQ(Xml(stream,
                "DocumentTag=doc\nSlideTag=s\nTitleTag=t\nBodyTag=bd\nNotesTag=nt\n"
                "TextBoxTag=tb\nXMLHeaderFile=head.txt\nXMLFooter=END\n"),
            "HEAD\n<doc>\n"
            "<s><t> Intro<BR> </t><P><t>\n</t>\n<P></s>"
            "<s><B>Slide -  2 </B><P>plain<BR><bd>\nb<BR></bd>\n"
            "<tb>\nbox<BR></tb>\nfive<BR><nt>\nn<BR></nt>\n<P></s>"
            "</doc>\nEND");
}

TEST_F(PptEndToEnd, SkipFlagFollowsSlideAtoms) {
  // Equal first values set the flag; a skipped text uses up its header.
  std::string stream =
      PptContainer(kSlide, PptSlideAtom(3, 3) + PptTextBytes("hidden")) +
      PptContainer(kSlide, PptSlideAtom(1, 2) + PptTextBytes("shown") + PptSlideAtom(0, 0) +
                               PptTextHeader(0) + PptTextBytes("skipped") + PptSlideAtom(0, 1) +
                               PptTextBytes("after"));
  EXPECT_EQ(Xml(stream),
            "<document>\n<slide><B>Slide -  2 </B><P>shown<BR>after<BR><P></slide></document>\n");
  EXPECT_EQ(Html(stream), std::string(kHead) + "hidden\nshown\nskipped\nafter\n");
}

// As LibreOffice writes: the lists hold no text; main master, notes master, the
// slides, then their notes (here in reverse order), then the persist directory.
std::string LibreOfficeStream(bool persistDirectory, bool notesReversed) {
  PptStreamBuilder s;
  uint32_t document = s.add(PptContainer(
      kDocument, PptDocumentAtom(3) + PptContainer(kList, PptSlidePersist(2, 0x80000000), 1) +
                     PptContainer(kList, PptSlidePersist(4, 256) + PptSlidePersist(5, 257), 0) +
                     PptContainer(kList, PptSlidePersist(6, 256) + PptSlidePersist(7, 257), 2)));
  uint32_t master =
      s.add(PptContainer(kMainMaster, PptSlideAtom(1, 513) + PptHeaderedText(0, u"Master")));
  uint32_t notesMaster =
      s.add(PptContainer(kNotes, PptNotesAtom(0x80000001) + PptHeaderedText(2, u"Notes master")));
  uint32_t one =
      s.add(PptContainer(kSlide, PptSlideAtom(1, 2, 256) +
                                     PptContainer(kDrawing, PptHeaderedText(0, u"One") +
                                                                PptHeaderedText(1, u"Body one") +
                                                                PptHeaderedText(4, u"Box one"))));
  uint32_t two =
      s.add(PptContainer(kSlide, PptSlideAtom(1, 2, 257) + Slide(PptHeaderedText(0, u"Two"))));
  std::string notesOne = PptContainer(kNotes, PptNotesAtom(256) + PptHeaderedText(2, u"Notes one"));
  std::string notesTwo = PptContainer(kNotes, PptNotesAtom(257) + PptHeaderedText(2, u"Notes two"));
  uint32_t first = s.add(notesReversed ? notesTwo : notesOne);
  uint32_t second = s.add(notesReversed ? notesOne : notesTwo);
  if (persistDirectory) {
    s.add(PptPersistDirectory({{1, document},
                               {2, master},
                               {3, notesMaster},
                               {4, one},
                               {5, two},
                               {6, notesReversed ? second : first},
                               {7, notesReversed ? first : second}}));
  }
  return s.bytes;
}

// As PowerPoint writes: the placeholder texts in the slide list, before every
// slide; a title master stored as a Slide container; notes in their own order.
std::string PowerPointStream(bool titleMaster, bool persistDirectory) {
  PptStreamBuilder s;
  std::string masters = PptSlidePersist(2, 0x80000000);
  if (titleMaster) masters += PptSlidePersist(3, 0x80000001);
  uint32_t document = s.add(PptContainer(
      kDocument, PptDocumentAtom(8) + PptContainer(kList, masters, 1) +
                     PptContainer(kList,
                                  PptSlidePersist(5, 256) + PptHeaderedText(0, u"One") +
                                      PptHeaderedText(1, u"Body one") + PptSlidePersist(4, 257) +
                                      PptHeaderedText(0, u"Two"),
                                  0) +
                     PptContainer(kList, PptSlidePersist(7, 300) + PptSlidePersist(6, 301), 2)));
  uint32_t master =
      s.add(PptContainer(kMainMaster, PptSlideAtom(1, 513) + PptHeaderedText(0, u"Master")));
  uint32_t title = titleMaster ? s.add(Slide(PptHeaderedText(0, u"Title master"))) : 0;
  uint32_t notesMaster =
      s.add(PptContainer(kNotes, PptNotesAtom(0) + PptHeaderedText(2, u"Notes master")));
  uint32_t one = s.add(PptContainer(
      kSlide, PptSlideAtom(1, 2, 300) + PptContainer(kDrawing, PptHeaderedText(4, u"Box one"))));
  uint32_t two = s.add(PptContainer(kSlide, PptSlideAtom(1, 2, 301)));
  uint32_t notesOne =
      s.add(PptContainer(kNotes, PptNotesAtom(256) + PptHeaderedText(2, u"Notes one")));
  uint32_t notesTwo =
      s.add(PptContainer(kNotes, PptNotesAtom(257) + PptHeaderedText(2, u"Notes two")));
  if (persistDirectory) {
    s.add(PptPersistDirectory({{1, document},
                               {2, master},
                               {3, title},
                               {8, notesMaster},
                               {5, one},
                               {4, two},
                               {7, notesOne},
                               {6, notesTwo}}));
  }
  return s.bytes;
}

TEST_F(PptEndToEnd, XmlTextsFollowTheirSlides) {
  const std::string libreOffice =
      "<document>\n"
      "<slide><title> One<BR> </title><P><title>\n</title>\n<body>\nBody one<BR></body>\n"
      "<textbox>\nBox one<BR></textbox>\n<notes>\nNotes one<BR></notes>\n<P></slide>"
      "<slide><title> Two<BR> </title><P><title>\n</title>\n<notes>\nNotes two<BR></notes>\n"
      "<P></slide></document>\n";
  const std::string powerPoint =
      "<document>\n"
      "<slide><title> One<BR> </title><P><title>\n</title>\n<body>\nBody one<BR></body>\n"
      "<textbox>\nBox one<BR></textbox>\n<notes>\nNotes one<BR></notes>\n<P></slide>"
      "<slide><title> Two<BR> </title><P><title>\n</title>\n<notes>\nNotes two<BR></notes>\n"
      "<P></slide></document>\n";
  struct Case {
    const char* name;
    std::string stream;
    const std::string& expected;
  } cases[] = {
      {"LibreOffice", LibreOfficeStream(true, true), libreOffice},
      {"LibreOffice, no persist directory", LibreOfficeStream(false, false), libreOffice},
      {"PowerPoint", PowerPointStream(true, true), powerPoint},
      {"PowerPoint, no persist directory", PowerPointStream(false, false), powerPoint},
  };
  for (const Case& c : cases) EXPECT_EQ(Xml(c.stream), c.expected) << c.name;
}

TEST_F(PptEndToEnd, TextContentStream) {
  std::string text;
  for (int i = 0; i < 300; ++i) text += static_cast<char>('a' + i % 26);
  const std::string expected =
      kHead + std::string("<HTML>\n<BODY>\n") + text + "\n</BODY>\n</HTML>\n";
  // In sectors (the copy runs on to the zeros after the text) and in the mini
  // stream, where a "Text_Content" in the root wins over "PowerPoint Document".
  EXPECT_EQ(Convert(BuildCompoundFile({{"Text_Content", text + std::string(4096, '\0')}}), ""),
            expected);
  std::string mini =
      BuildCompoundFile({{"PowerPoint Document", PptTextBytes("slides")}, {"Text_Content", text}});
  EXPECT_EQ(Convert(mini, ""), expected);
  EXPECT_EQ(Convert(mini, "OutputXML=1\n"), "<document>\n");

  CfbImage atZero = BuildCompoundImage({{"Text_Content", text + std::string(4096, '\0')}});
  atZero.SetEntryU32(1, kCfbEntryFirstSector, 0);
  EXPECT_EQ(Convert(atZero.bytes, ""), "page e5");
  atZero.SetEntryU32(1, kCfbEntryFirstSector, 0x7FFFFFF0);  // past the end of the file
  EXPECT_EQ(Convert(atZero.bytes, ""), kHead + std::string("<HTML>\n<BODY>\n\n</BODY>\n</HTML>\n"));
}

// Two saves: the second changes the first slide, deletes the third and keeps the
// second. How the
// file names its newest edit, and whether zeros precede what the second save
// appended, varies by case.
struct TwoSaves {
  enum CurrentUser { kCurrent, kNone, kPastTheStream, kNotAnEdit } currentUser = kCurrent;
  bool zeros = false;
  bool loop = false;  // the second edit names itself as the one before
};

std::string TwoSavesFile(const TwoSaves& c) {
  PptStreamBuilder s;
  const std::string kept = PptSlidePersist(4, 258) + PptHeaderedText(0, u"Kept title");
  std::string lists = PptSlidePersist(2, 256) + PptHeaderedText(0, u"Title v1") + kept +
                      PptSlidePersist(3, 257) + PptHeaderedText(0, u"Deleted title");
  uint32_t document = s.add(PptContainer(kDocument, PptDocumentAtom(0) + PptContainer(kList, lists)));
  uint32_t one = s.add(PptContainer(kSlide, PptSlideAtom() + Slide(PptHeaderedText(1, u"Body v1"))));
  uint32_t three =
      s.add(PptContainer(kSlide, PptSlideAtom() + Slide(PptHeaderedText(1, u"Kept body"))));
  uint32_t two = s.add(PptContainer(kSlide, PptSlideAtom() + Slide(PptHeaderedText(1, u"Deleted"))));
  uint32_t directory = s.add(PptPersistDirectory({{1, document}, {2, one}, {3, two}, {4, three}}));
  uint32_t edit = s.add(PptUserEdit(0, directory));
  if (c.zeros) s.add(std::string(5, '\0'));
  lists = PptSlidePersist(2, 256) + PptHeaderedText(0, u"Title v2") + kept;
  document = s.add(PptContainer(kDocument, PptDocumentAtom(0) + PptContainer(kList, lists)));
  one = s.add(PptContainer(kSlide, PptSlideAtom() + Slide(PptHeaderedText(1, u"Body v2"))));
  directory = s.add(PptPersistDirectory({{1, document}, {2, one}}));
  uint32_t newest = static_cast<uint32_t>(s.bytes.size());
  s.add(PptUserEdit(c.loop ? newest : edit, directory));
  std::vector<CfbStream> streams = {{"PowerPoint Document", s.bytes}};
  const uint32_t named[] = {newest, 0, 0x7FFFFFF0, document};
  if (c.currentUser != TwoSaves::kNone) {
    streams.push_back({"Current User", PptCurrentUser(named[c.currentUser])});
  }
  return BuildCompoundFile(streams);
}

TEST_F(PptEndToEnd, OnlyTheLiveRecordsOfTheNewestEdit) {
  const TwoSaves cases[] = {
      {TwoSaves::kCurrent, true, false},     {TwoSaves::kNone, false, false},
      {TwoSaves::kPastTheStream, false, false}, {TwoSaves::kNotAnEdit, false, false},
      {TwoSaves::kCurrent, false, true},
  };
  for (const TwoSaves& c : cases) {
    SCOPED_TRACE(testing::Message() << c.currentUser << " " << c.zeros << " " << c.loop);
    EXPECT_EQ(Convert(TwoSavesFile(c), ""),
              kHead + std::string("Kept body\nTitle v2\nKept title\nBody v2\n"));
    EXPECT_EQ(Convert(TwoSavesFile(c), "OutputXML=1\n"),
              "<document>\n<slide><title> Kept title<BR> </title><P><body>\nKept body<BR></body>\n"
              "<title>\n</title>\n<P></slide>"
              "<slide><title> Title v2<BR> </title><P><title>\n</title>\n"
              "<body>\nBody v2<BR></body>\n<P></slide></document>\n");
  }
}

TEST_F(PptEndToEnd, EncryptedPresentations) {
  PptStreamBuilder s;
  uint32_t document = s.add(PptContainer(kDocument, PptTextBytes("scrambled")));
  uint32_t directory = s.add(PptPersistDirectory({{1, document}, {2, document}}));
  uint32_t edit = s.add(PptUserEdit(0, directory, 1, 2));
  std::string session = BuildCompoundFile(
      {{"PowerPoint Document", s.bytes}, {"Current User", PptCurrentUser(edit)}});
  std::string summary = BuildCompoundFile(
      {{"PowerPoint Document", PptTextBytes("plain")}, {"EncryptedSummary", "x"}});
  for (const char* mode : {"", "OutputXML=1\n"}) {
    EXPECT_EQ(Convert(session, mode), "page e6");
    EXPECT_EQ(Convert(summary, mode), "page e6");
  }
}

TEST_F(PptEndToEnd, EightBitTextsAreLatin1) {
  const std::string stream = Slide(PptTextBytes("Sesi\xf3n \x85"));
  const struct {
    const char* charset;
    const char* text;
  } cases[] = {{"UTF8", "Sesi\xc3\xb3n \xc2\x85"}, {"ASCII", "Sesi\xf3n &#133;"}};
  for (const auto& c : cases) {
    charset_ = c.charset;
    EXPECT_EQ(Html(stream), kHead + std::string(c.text) + "\n") << c.charset;
    EXPECT_EQ(Xml(stream), "<document>\n<slide><B>Slide -  1 </B><P>" + std::string(c.text) +
                               "<BR><P></slide></document>\n")
        << c.charset;
  }
}

TEST_F(PptEndToEnd, TextContentThroughItsSectorChain) {
  // Twelve sectors of windows-1252 text, the second and third swapped on disk and
  // chained in their stream order.
  std::string text;
  for (int sector = 0; sector < 12; ++sector) {
    std::string part(512, static_cast<char>('a' + sector));
    part.replace(100, 3, "\x85\xe9 ");
    text += part;
  }
  CfbImage image = BuildCompoundImage({{"Text_Content", text}});
  const uint32_t first = image.firstSectors[0];
  std::string second = image.bytes.substr(CfbImage::SectorOffset(first + 1), 512);
  image.bytes.replace(CfbImage::SectorOffset(first + 1), 512,
                      image.bytes.substr(CfbImage::SectorOffset(first + 2), 512));
  image.bytes.replace(CfbImage::SectorOffset(first + 2), 512, second);
  image.SetTableCell(first, first + 2);
  image.SetTableCell(first + 2, first + 1);
  image.SetTableCell(first + 1, first + 3);
  std::string utf8;
  for (char c : text) utf8 += c == '\x85' ? "\xe2\x80\xa6" : c == '\xe9' ? "\xc3\xa9" : std::string(1, c);
  for (const auto& c : {std::make_pair("UTF8", utf8), std::make_pair("ASCII", text)}) {
    charset_ = c.first;
    EXPECT_EQ(Convert(image.bytes, ""),
              kHead + std::string("<HTML>\n<BODY>\n") + c.second + "\n</BODY>\n</HTML>\n")
        << c.first;
  }
}

TEST_F(PptEndToEnd, ResultPages) {
  EXPECT_EQ(Convert("not a compound file", ""), "page e4");
  EXPECT_EQ(Convert(BuildCompoundFile({{"Other", "x"}}), ""), "page e8");
}

TEST_F(PptEndToEnd, HostileLengthsAndNesting) {
  std::string deep = PptTextBytes("deep");
  for (int i = 0; i < 300; ++i) deep = PptContainer(kDrawing, deep);
  std::string shallow = PptTextBytes("deep");
  for (int i = 0; i < 200; ++i) shallow = PptContainer(kDrawing, shallow);
  std::string many;
  for (int i = 0; i < 20000; ++i) many += PptTextBytes("");
  // Every id up to the largest, all at the first text; edits that name later ones.
  std::string edits = PptTextBytes("a") +
                      PptAtom(6002, LeU32(0xFFFFFFFF) + std::string(16380, '\0')) +
                      PptTextBytes("superseded");
  for (int i = 0; i < 5000; ++i) edits += PptUserEdit(0xFFFFFFF0, 9);
  struct Case {
    const char* name;
    std::string stream;
    std::string lines;
  } cases[] = {
      // The inner container claims more than its parent holds: it is walked up to
      // the parent's end, and what follows the parent is read once.
      {"past parent",
       PptContainer(kSlide, PptHeader(kDrawing, 0xFFFFFFF0, true) + PptTextBytes("a")) +
           PptTextBytes("b"),
       "a\nb\n"},
      {"atom near 4 GiB", PptTextBytes("a") + PptHeader(4008, 0xFFFFFFF8) + "xyz", "a\n"},
      {"container near 4 GiB", PptHeader(kSlide, 0xFFFFFFFF, true) + PptTextBytes("a"), "a\n"},
      {"too deep", deep + PptTextBytes("top"), "top\n"},
      {"deep", shallow + PptTextBytes("top"), "deep\ntop\n"},
      {"many atoms", many, std::string(20000, '\n')},
      {"many edits, many ids", edits, "a\n"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Html(c.stream), kHead + c.lines) << c.name;
    EXPECT_EQ(Xml(c.stream).substr(0, 11), "<document>\n") << c.name;
  }
}

}  // namespace
