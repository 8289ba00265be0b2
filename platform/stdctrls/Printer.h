#pragma once
// The printer: a document of pages drawn through a canvas in printer pixels. Output goes
// to the system's default printer, or to a PDF file when OutputFileName is set. A PDF file
// is saved as every file is: built whole, then put in the file's place, so a failure
// keeps the file that was there.
#include <memory>
#include "platform/classes/Classes.h"
#include "platform/graphics/Canvas.h"

enum TPrinterOrientation { poPortrait, poLandscape };

class TPrinter : public TObject {
 public:
  TPrinter();
  ~TPrinter() override;
  const char* ClassName() const override { return "TPrinter"; }

  // Opens the document and its first page. Raises EPrinter when already printing or
  // when the output cannot be opened; an output file that may not be replaced (a pipe,
  // device, folder, read-only file or a file another program holds) is refused here,
  // without opening it.
  void BeginDoc();
  // Finishes the document and, when printing to a file, saves it. Raises EPrinter when
  // not printing or when the file cannot be saved, also when another program took it
  // since BeginDoc (the old file is then kept).
  void EndDoc();
  // Drops the document unfinished.
  void Abort();
  void NewPage();
  bool Printing() const { return printing_; }
  bool Aborted() const { return aborted_; }
  int PageNumber() const { return page_number_; }

  const AnsiString& Title() const { return title_; }
  void SetTitle(const AnsiString& v) { title_ = v; }
  TPrinterOrientation Orientation() const { return orientation_; }
  void SetOrientation(TPrinterOrientation v);
  // Empty: the system's printer. Otherwise a PDF file written at EndDoc.
  const AnsiString& OutputFileName() const { return output_; }
  void SetOutputFileName(const AnsiString& v);
  int Copies() const { return copies_; }
  void SetCopies(int v) { copies_ = v < 1 ? 1 : v; }

  // The printable page in printer pixels and the printer's pixels per inch.
  int PageWidth() const;
  int PageHeight() const;
  int XDpi() const;
  int YDpi() const;

  // Draws on the current page; only valid between BeginDoc and EndDoc.
  TCanvas* Canvas() { return canvas_.get(); }

  struct Impl;

 private:
  friend class TPrintDialog;
  std::unique_ptr<Impl> impl_;
  std::unique_ptr<TCanvas> canvas_;
  AnsiString title_;
  AnsiString output_;
  TPrinterOrientation orientation_ = poPortrait;
  int copies_ = 1;
  bool printing_ = false;
  bool aborted_ = false;
  int page_number_ = 0;
};

class EPrinter : public Exception {
 public:
  using Exception::Exception;
  const char* ClassName() const override { return "EPrinter"; }
};

// The program's printer object.
TPrinter* Printer();

// The print dialog: the user picks the printer (or a PDF file) and the copies of the
// program's printer. A file the program may not replace (as BeginDoc refuses it) is refused
// in the dialog, before the dialog asks whether to overwrite it, and the dialog stays open. Under a dialog script the answer decides, and a PDF file it names
// becomes the printer's output.
class TPrintDialog : public TComponent {
 public:
  using TComponent::TComponent;
  const char* ClassName() const override { return "TPrintDialog"; }
  // True when the user confirmed; the printer is then set up as chosen.
  bool Execute();
};
