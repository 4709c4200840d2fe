// Saving a chart dialog's picture (PNG, SVG) and numbers (CSV). Every file
// is written to a temporary file and renamed, so that a failed export never
// leaves a damaged file in place of the old one.
#ifndef CHARTEXPORT_H
#define CHARTEXPORT_H

#include <QRect>
#include <QString>

#include <functional>

class QLabel;
class QTextStream;
class QWidget;

namespace Vorlap
{
// Writes the region of source (in its coordinates) as a PNG image at the
// widget's device pixel ratio, or as SVG when the file name ends in .svg.
// Returns an empty string on success, else what went wrong.
QString exportPicture(QWidget *source, const QRect &region, const QString &fileName);

// Writes a CSV file: the header line, then whatever rows() writes. rows()
// returns false to give up. Returns an empty string on success, else what
// went wrong.
QString exportCsv(const QString &fileName, const QString &header,
                  const std::function<bool(QTextStream &)> &rows);

// Asks for the file to export to; empty when cancelled. A name without a
// known ending gets the one of the chosen type.
QString askExportFile(QWidget *parent);

// The text of an export's outcome: "Saved FILE" or "Could not save FILE:
// what went wrong".
QString exportMessage(const QString &fileName, const QString &error);
// Shows it in a dialog's status line, shortened in the middle to the
// line's width; the whole text is its tooltip.
void showExportMessage(QLabel *line, const QString &fileName, const QString &error);
} // namespace Vorlap

#endif
