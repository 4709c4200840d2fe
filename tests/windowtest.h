// Shared ground for the main-window tests: a fresh window per test, widget
// lookup by name, and circuit formulas written independently of the core.
#ifndef WINDOWTEST_H
#define WINDOWTEST_H

#include "dialogdriver.h"
#include "mainwindow.h"

#include <QDir>
#include <QFile>
#include <QInputDialog>
#include <QStatusBar>
#include <QTest>

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
    LossyFigures f;
    // C-Antenna: L in series, then C across the load; C-TRX: C across the
    // input, then L in series with the load.
    const cplx across = zc * load / (zc + load);
    f.zIn = cTrx ? zc * (zl + load) / (zc + zl + load) : zl + across;
    const double gamma = std::abs((f.zIn - 50.0) / (f.zIn + 50.0));
    const double pIn = watts * (1 - gamma * gamma);
    const double iIn = std::sqrt(pIn / f.zIn.real());
    const cplx vC = cTrx ? iIn * f.zIn : iIn * across;
    const cplx iL = cTrx ? vC / (zl + load) : cplx(iIn);
    const cplx iLoad = cTrx ? iL : vC / load;
    f.currentL = std::abs(iL);
    f.voltageCPeak = std::sqrt(2.0) * std::abs(vC);
    f.lossL = std::norm(iL) * zl.real();
    f.lossC = std::norm(vC / zc) * zc.real();
    f.efficiency = std::norm(iLoad) * load.real() / pIn;
    return f;
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
        if (!prompt) {
            modal->close();
        } else if (text.isNull()) {
            prompt->reject();
        } else {
            prompt->setTextValue(text);
            prompt->accept();
        }
        QVERIFY2(width >= wanted, qPrintable(QString("%1 < %2").arg(width).arg(wanted)));
    });
}

// Mixed into each test class, whose init() and cleanup() call start() and
// stop().
class WindowTest
{
protected:
    std::unique_ptr<MainWindow> window;

    template <class T> T *find(const char *name)
    {
        T *widget = window->findChild<T *>(QString::fromLatin1(name));
        if (!widget)
            qFatal("no widget %s", name);
        return widget;
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
