#include "platform/stdctrls/Printer.h"

#include <QPageLayout>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>

#include "platform/graphics/detail/QtGraphics.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Dialogs.h"

struct TPrinter::Impl {
  std::unique_ptr<QPrinter> printer;
  std::unique_ptr<QPainter> painter;
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
  if (!output_.empty()) {
    p.setOutputFormat(QPrinter::PdfFormat);
    p.setOutputFileName(gfx::ToQString(output_));
  } else {
    p.setOutputFormat(QPrinter::NativeFormat);
    p.setOutputFileName(QString());
  }
  impl_->painter = std::make_unique<QPainter>();
  if (!impl_->painter->begin(&p)) {
    impl_->painter.reset();
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
  Device(*impl_).newPage();
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
  if (!ok) throw EPrinter("The document could not be finished");
}

void TPrinter::Abort() {
  if (!printing_) return;
  gfx::AttachPainter(*canvas_, nullptr);
  Device(*impl_).abort();
  impl_->painter->end();
  impl_->painter.reset();
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
    if (dialog.exec() != QDialog::Accepted) return false;
    // The dialog leaves its choice in the device: a file when the user printed to one.
    printer->SetOutputFileName(p.outputFormat() == QPrinter::PdfFormat ? gfx::FromQString(p.outputFileName()) : AnsiString());
    printer->SetCopies(p.copyCount());
    return true;
  });
  if (ok && !shown && !request.FileName.empty()) printer->SetOutputFileName(request.FileName);
  return ok;
}
