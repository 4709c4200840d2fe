// Shared ground for the main-window tests: a fresh window per test, widget
// lookup by name, and circuit formulas written independently of the core.
#ifndef WINDOWTEST_H
#define WINDOWTEST_H

#include "dialogdriver.h"
#include "mainwindow.h"

// The whole widget module, as every window test drives many kinds of widget.
#include <QTest>
#include <QtWidgets>

#include <complex>
#include <memory>

using cplx = std::complex<double>;

inline cplx networkInput(bool cTrx, double kHz, double uH, double pF, cplx load)
{
    const double w = 2.0 * M_PI * kHz * 1e3;
    const cplx zl(0.0, w * uH * 1e-6), zc(0.0, -1.0 / (w * pF * 1e-12));
    // No capacitance is an open circuit in either wiring.
    if (pF == 0)
        return load + zl;
    if (!cTrx)
        return load * zc / (load + zc) + zl;
    const cplx s = load + zl;
    return s * zc / (s + zc);
}

inline double swrOf(cplx z)
{
    const double g = std::abs((z - 50.0) / (z + 50.0));
    return (1 + g) / (1 - g);
}

// Where the power goes with lossy parts (series r = |X| / Q), for a
// transmitter of `watts` into 50 ohm; currents RMS, the voltage across the
// whole C branch peak.
struct LossyFigures {
    cplx zIn;
    double efficiency, lossL, lossC, currentL, voltageCPeak;
};
inline LossyFigures lossyFigures(bool cTrx, double kHz, double uH, double pF, double qL, double qC,
                                 double watts, cplx load)
{
    const double w = 2.0 * M_PI * kHz * 1e3, xl = w * uH * 1e-6, xc = -1.0 / (w * pF * 1e-12);
    const cplx zl(xl / qL, xl), zc(-xc / qC, xc);
    // C-Antenna: L in series, then C across the load; C-TRX: C across the
    // input, then L in series with the load.
    const cplx across = zc * load / (zc + load);
    const cplx zIn = cTrx ? zc * (zl + load) / (zc + zl + load) : zl + across;
    const double pIn = watts * (1 - std::norm((zIn - 50.0) / (zIn + 50.0)));
    const cplx iIn = std::sqrt(pIn / zIn.real());
    const cplx vC = cTrx ? iIn * zIn : iIn * across;
    const cplx iL = cTrx ? vC / (zl + load) : iIn;
    const double efficiency = std::norm(cTrx ? iL : vC / load) * load.real() / pIn;
    const double lossL = std::norm(iL) * zl.real(), lossC = std::norm(vC / zc) * zc.real();
    return {zIn, efficiency, lossL, lossC, std::abs(iL), std::sqrt(2.0) * std::abs(vC)};
}

inline bool writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

inline void removeSettingsFile()
{
    const QString path = MainWindow::settingsFilePath();
    QFile::remove(path);
    QDir(path).removeRecursively();
}

// Types `text` into the next input dialog and presses OK, or cancels it
// when `text` is null; `initial` receives the text it opened with. Every
// prompt is wide enough for its whole title in a bold title font, beside a
// window manager's icon and buttons.
inline std::shared_ptr<bool> answerPrompt(const QString &text, QString *initial = nullptr)
{
    return answerNextModal([=](QWidget *modal) {
        auto *prompt = qobject_cast<QInputDialog *>(modal);
        if (initial && prompt)
            *initial = prompt->textValue();
        QFont titleFont = modal->font();
        titleFont.setBold(true);
        const QFontMetrics title(titleFont);
        const int wanted = title.horizontalAdvance(modal->windowTitle()) + 4 * title.height();
        const int width = modal->width();
        if (prompt && !text.isNull())
            prompt->setTextValue(text);
        if (prompt)
            prompt->done(text.isNull() ? QDialog::Rejected : QDialog::Accepted);
        else
            modal->close();
        QVERIFY2(width >= wanted, qPrintable(QString("%1 < %2").arg(width).arg(wanted)));
    });
}

// Mixed into each test class, whose init() and cleanup() call start() and
// stop().
class WindowTest
{
protected:
    std::unique_ptr<MainWindow> window;

    template <class T> T *find(const char *name) { return childNamed<T>(*window, name); }
    // A window that reads no settings file a previous run may have left.
    void startClean()
    {
        removeSettingsFile();
        start();
    }
    void start()
    {
        window = std::make_unique<MainWindow>();
        window->show();
        QCoreApplication::processEvents();
    }
    // Shown and active, so that a field can hold the keyboard focus.
    void startActive()
    {
        start();
        window->activateWindow();
        if (!QTest::qWaitForWindowActive(window.get()))
            qFatal("the window never became active");
    }
    void stop()
    {
        window.reset();
        removeSettingsFile();
    }
    LCNet::Calculator *calc() { return window->tunerCalculator(); }
    QString status() { return window->statusBar()->currentMessage(); }
};

#endif // WINDOWTEST_H
