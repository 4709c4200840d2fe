// Helpers shared by the chart tests: SWR figures computed here, apart from
// the charts, a wheel turn, the read-outs and the prompts of a dialog.
#ifndef CHARTSTEST_H
#define CHARTSTEST_H

#include "chartaxis.h"
#include "dialogdriver.h"
#include "lcchartdialog.h"
#include "lcmatrixitem.h"
#include "lcnet.h"
#include "lcview.h"
#include "legendwidget.h"
#include "zchart.h"
#include "zchartdialog.h"

#include <QtTest>
#include <QtWidgets>

#include <cmath>
#include <limits>

const double NaN = std::numeric_limits<double>::quiet_NaN();
const double Inf = std::numeric_limits<double>::infinity();
const QStringList Dashes = {"-", "-", "-"};

// The SWR of the calculator's setting with another load (ohm).
inline double swrOf(const LCNet::Calculator &c, double r, double x)
{
    return LCNet::computeSWR(LCNet::Z0, LCNet::networkInput(c.netType, 1000.0 * c.frequency,
                                                            1e-6 * c.inductance,
                                                            1e-12 * c.capacitance, {r, x}));
}

// The SWR of the calculator's load at another L (uH) and C (pF).
inline double swrAt(const LCNet::Calculator &c, double pF, double uH)
{
    return LCNet::computeSWR(LCNet::Z0,
                             LCNet::networkInput(c.netType, 1000.0 * c.frequency, 1e-6 * uH,
                                                 1e-12 * pF, c.loadImpedance));
}

inline void wheel(QWidget *w, int deltaY)
{
    QWheelEvent event(QPointF(5, 5), w->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, deltaY),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(w, &event);
}

inline bool shown(QWidget *w)
{
    w->show();
    return QTest::qWaitForWindowExposed(w);
}

// The texts of a dialog's read-out labels.
inline QStringList texts(const QWidget *dialog, std::initializer_list<const char *> names)
{
    QStringList result;
    for (const char *name : names)
        result << dialog->findChild<QLabel *>(name)->text();
    return result;
}

// Answers the prompt that `button` opens with `answer` (a null answer
// cancels it) and returns what it asked: title|label|initial text.
inline QString prompt(QWidget *dialog, const char *button, const QString &answer)
{
    auto asked = std::make_shared<QString>(QStringLiteral("no prompt"));
    answerNextModal([=](QWidget *w) {
        auto *input = qobject_cast<QInputDialog *>(w);
        *asked = input->windowTitle() + '|' + input->labelText() + '|' + input->textValue();
        input->setTextValue(answer);
        answer.isNull() ? input->reject() : input->accept();
    });
    dialog->findChild<QPushButton *>(button)->click();
    return *asked;
}

#endif // CHARTSTEST_H
