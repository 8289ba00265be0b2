#include "platform/stdctrls/Printer.h"

#include <QBuffer>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrinter>

#include "platform/classes/SafeFile.h"
#include "platform/graphics/detail/QtGraphics.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Dialogs.h"

struct TPrinter::Impl {
  std::unique_ptr<QPrinter> printer;
  std::unique_ptr<QPainter> painter;
  // A document printed to a file is built in memory and saved whole at its end, as
  // every file is saved: the file that was there stays until the new one is complete.
  std::unique_ptr<QBuffer> pdfBytes;
  std::unique_ptr<QPdfWriter> pdf;

  void DropPdf() {
    pdf.reset();
    pdfBytes.reset();
  }
};

TPrinter::TPrinter() : impl_(std::make_unique<Impl>()), canvas_(std::make_unique<TCanvas>()) {}

TPrinter::~TPrinter() {
  if (printing_) Abort();
}

static QPrinter& Device(TPrinter::Impl& d) {
  if (!d.printer) {
    gfx::EnsureGuiApplication();
    d.printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
  }
  return *d.printer;
}

void TPrinter::SetOrientation(TPrinterOrientation v) {
  if (printing_) throw EPrinter("Cannot perform this operation while printing");
  orientation_ = v;
}

void TPrinter::SetOutputFileName(const AnsiString& v) {
  if (printing_) throw EPrinter("Cannot perform this operation while printing");
  output_ = v;
}

void TPrinter::BeginDoc() {
  if (printing_) throw EPrinter("Printing in progress");
  QPrinter& p = Device(*impl_);
  p.setDocName(gfx::ToQString(title_));
  p.setPageOrientation(orientation_ == poLandscape ? QPageLayout::Landscape : QPageLayout::Portrait);
  p.setCopyCount(copies_);
  QPaintDevice* device = &p;
  if (!output_.empty()) {
    // The file is checked before anything is drawn: a pipe, device, folder or read-only
    // file in its place, or a file another program holds, is refused at once, never opened
    // (which could block). The save at EndDoc looks again.
    try {
      safefile::CheckTarget(output_);
    } catch (const Exception& e) {
      throw EPrinter(e.Message());
    }
    // The printer keeps the page's measures; the pages are drawn into the writer.
    p.setOutputFormat(QPrinter::PdfFormat);
    p.setOutputFileName(gfx::ToQString(output_));
    impl_->pdfBytes = std::make_unique<QBuffer>();
    impl_->pdfBytes->open(QIODevice::WriteOnly);
    impl_->pdf = std::make_unique<QPdfWriter>(impl_->pdfBytes.get());
    impl_->pdf->setTitle(gfx::ToQString(title_));
    impl_->pdf->setResolution(p.resolution());
    impl_->pdf->setPageLayout(p.pageLayout());
    device = impl_->pdf.get();
  } else {
    p.setOutputFormat(QPrinter::NativeFormat);
    p.setOutputFileName(QString());
  }
  impl_->painter = std::make_unique<QPainter>();
  if (!impl_->painter->begin(device)) {
    impl_->painter.reset();
    impl_->DropPdf();
    throw EPrinter("Printer is not currently printing: the output could not be opened");
  }
  // A fresh canvas per document: its font and pen start from the defaults.
  canvas_ = std::make_unique<TCanvas>();
  gfx::AttachPainter(*canvas_, impl_->painter.get());
  printing_ = true;
  aborted_ = false;
  page_number_ = 1;
}

void TPrinter::NewPage() {
  if (!printing_) throw EPrinter("Printer is not currently printing");
  if (impl_->pdf) impl_->pdf->newPage();
  else Device(*impl_).newPage();
  canvas_->SetPenPos(TPoint());
  ++page_number_;
}

void TPrinter::EndDoc() {
  if (!printing_) throw EPrinter("Printer is not currently printing");
  gfx::AttachPainter(*canvas_, nullptr);
  bool ok = impl_->painter->end();
  impl_->painter.reset();
  printing_ = false;
  page_number_ = 0;
  if (!ok) {
    impl_->DropPdf();
    throw EPrinter("The document could not be finished");
  }
  if (impl_->pdf) {
    const QByteArray& bytes = impl_->pdfBytes->data();
    try {
      safefile::WriteFile(output_, std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
    } catch (const Exception& e) {
      impl_->DropPdf();
      throw EPrinter(e.Message());
    }
    impl_->DropPdf();
  }
}

void TPrinter::Abort() {
  if (!printing_) return;
  gfx::AttachPainter(*canvas_, nullptr);
  if (!impl_->pdf) Device(*impl_).abort();
  impl_->painter->end();
  impl_->painter.reset();
  impl_->DropPdf();
  printing_ = false;
  aborted_ = true;
  page_number_ = 0;
}

int TPrinter::PageWidth() const {
  QPrinter& p = Device(*impl_);
  if (!printing_)
    p.setPageOrientation(orientation_ == poLandscape ? QPageLayout::Landscape : QPageLayout::Portrait);
  return p.pageLayout().paintRectPixels(p.resolution()).width();
}

int TPrinter::PageHeight() const {
  QPrinter& p = Device(*impl_);
  if (!printing_)
    p.setPageOrientation(orientation_ == poLandscape ? QPageLayout::Landscape : QPageLayout::Portrait);
  return p.pageLayout().paintRectPixels(p.resolution()).height();
}

int TPrinter::XDpi() const { return Device(*impl_).resolution(); }
int TPrinter::YDpi() const { return Device(*impl_).resolution(); }

namespace {

// The print dialog's own check of an output file opens it for appending, which waits for a
// reader when the file is a named pipe (and opens a device): the program would hang. Nor
// does it know of another program holding the file: it would ask whether to overwrite it
// and the print would replace it. The file the user names is checked first, by its kind
// and holder and without opening it, and a file the program cannot print to is refused in
// the program's words, the dialog staying open. Only a file the program may replace goes
// on to the dialog's own checks (and its question whether to overwrite it).
void CheckOutputFileFirst(QPrintDialog& dialog) {
  auto* buttons = dialog.findChild<QDialogButtonBox*>(QString(), Qt::FindDirectChildrenOnly);
  if (buttons == nullptr || dialog.metaObject()->indexOfSlot("_q_checkFields()") < 0) return;
  if (!QObject::disconnect(buttons, SIGNAL(accepted()), &dialog, SLOT(_q_checkFields()))) return;
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, [&dialog] {
    auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("filename"));
    if (name != nullptr && name->isEnabled()) {
      const AnsiString file = gfx::FromQString(name->text());
      AnsiString refused;
      if (file.empty()) refused = "Please enter the name of the file to print to.";
      else {
        try {
          safefile::CheckTarget(file);
        } catch (const Exception& e) {
          refused = "Cannot print to this file.\n" + e.Message();
        }
      }
      if (!refused.empty()) {
        QMessageBox::warning(&dialog, QStringLiteral("Print to file"), gfx::ToQString(refused));
        name->setFocus();
        return;
      }
    }
    QMetaObject::invokeMethod(&dialog, "_q_checkFields", Qt::DirectConnection);
  });
}

}  // namespace

TPrinter* Printer() {
  // Never destroyed: the print system must not be torn down after the application.
  static TPrinter* printer = new TPrinter;
  return printer;
}

bool TPrintDialog::Execute() {
  TPrinter* printer = Printer();
  ui::DialogRequest request;
  request.Caption = "Print";
  request.FileName = printer->OutputFileName();
  bool shown = false;
  const bool ok = ui::DialogService::ExecutePrintDialog(request, [&](ui::DialogRequest& r) {
    shown = true;
    QPrinter& p = Device(*printer->impl_);
    if (!r.FileName.empty()) {
      p.setOutputFormat(QPrinter::PdfFormat);
      p.setOutputFileName(gfx::ToQString(r.FileName));
    }
    QPrintDialog dialog(&p);
    CheckOutputFileFirst(dialog);
    if (dialog.exec() != QDialog::Accepted) return false;
    // The dialog leaves its choice in the device: a file when the user printed to one.
    printer->SetOutputFileName(p.outputFormat() == QPrinter::PdfFormat ? gfx::FromQString(p.outputFileName()) : AnsiString());
    printer->SetCopies(p.copyCount());
    return true;
  });
  if (ok && !shown && !request.FileName.empty()) printer->SetOutputFileName(request.FileName);
  return ok;
}
