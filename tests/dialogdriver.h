// Answers the next modal dialog from inside a blocking call of the test.
#ifndef DIALOGDRIVER_H
#define DIALOGDRIVER_H

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

// The child of `parent` called `name`; a missing one ends the test program,
// as every later step would fail on it.
template <class T> T *childNamed(const QObject &parent, const char *name)
{
    T *child = parent.findChild<T *>(QString::fromLatin1(name));
    if (!child)
        qFatal("no widget %s", name);
    return child;
}

// Polls for a visible modal widget and hands it to `answer` once; gives up
// after `timeoutMs` so that a test never hangs. Returns a flag that tells
// afterwards whether the dialog was seen.
inline std::shared_ptr<bool> answerNextModal(std::function<void(QWidget *)> answer,
                                             int timeoutMs = 5000)
{
    auto seen = std::make_shared<bool>(false);
    auto *timer = new QTimer;
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    QObject::connect(timer, &QTimer::timeout, [=] {
        QWidget *modal = QApplication::activeModalWidget();
        if (modal && modal->isVisible()) {
            timer->stop();
            timer->deleteLater();
            *seen = true;
            answer(modal);
        } else if (clock->elapsed() > timeoutMs) {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start(10);
    return seen;
}

#endif // DIALOGDRIVER_H
