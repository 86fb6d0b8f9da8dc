#include "macros/app/macro_printer.h"

#include <QApplication>
#include <QDir>
#include <QFontMetricsF>
#include <QMessageBox>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinterInfo>
#include <cmath>

#include "widgets/error_box.h"
#include "widgets/qt_text.h"

namespace keyloom {

using ostrevin::widgets::toQString;

bool printLines(QPrinter& printer, const std::vector<std::string>& lines) {
    QPainter painter;
    if (!painter.begin(&printer)) return false;
    painter.setFont(QFont("Sans Serif", 10));
    const QFontMetricsF metrics = painter.fontMetrics();
    const qreal width = painter.viewport().width();
    const qreal height = painter.viewport().height();
    // Tabs stop every eight average characters of the printer font.
    const qreal tabStop = 8 * metrics.averageCharWidth();
    qreal x = 0;
    qreal y = metrics.ascent();
    // A new page is started only when there is something to put on it, so that a list that
    // exactly fills its last page does not eject an empty one.
    auto fitsOnPage = [&]() {
        if (y + metrics.descent() <= height) return true;
        if (!printer.newPage()) return false;
        y = metrics.ascent();
        return true;
    };
    auto newLine = [&]() {
        x = 0;
        y += metrics.lineSpacing();
    };
    for (const std::string& line : lines) {
        const QStringList pieces = toQString(line).split('\t');
        for (qsizetype i = 0; i < pieces.size(); ++i) {
            if (i > 0) {
                x = (std::floor(x / tabStop) + 1) * tabStop;
                // A tab that would pass the right margin starts a new line.
                if (x >= width) newLine();
            }
            if (!fitsOnPage()) return false;
            painter.drawText(QPointF(x, y), pieces[i]);
            x += metrics.horizontalAdvance(pieces[i]);
        }
        newLine();
    }
    return painter.end();
}

void printMacroList(QWidget* list, QPrinter& printer, const std::vector<PrintRow>& rows) {
    // Printing from the tray menu leaves the list window hidden; dialogs placed over a hidden
    // window would open in the screen's corner, so they go to the middle of the screen instead.
    QWidget* parent = list && list->isVisible() ? list : nullptr;
    printer.setDocName("Keyloom Macro List");
    if (QPrinterInfo::availablePrinterNames().isEmpty()) {
        QMessageBox::information(parent, QApplication::applicationDisplayName(),
                                 "No printer is set up on this computer.\n\n"
                                 "The macro list can still be printed to a PDF file.");
        if (printer.outputFileName().isEmpty()) {  // else the file chosen the last time
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(QDir::homePath() + "/Keyloom Macro List.pdf");
        }
    }
    QPrintDialog dialog(&printer, parent);
    dialog.setObjectName("PrintDialog1");
    if (dialog.exec() != QDialog::Accepted) return;
    if (!printLines(printer, macroListPrintLines(rows))) {
        const QString where =
            printer.outputFileName().isEmpty() ? printer.printerName() : printer.outputFileName();
        ostrevin::widgets::showErrorBox(parent,
                                        "The macro list could not be printed on " + where + ".");
    }
}

}  // namespace keyloom
