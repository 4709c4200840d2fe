#include "mainwindow.h"
#include "ui_mainwindow.h"

#include "helpdialog.h"
#include "labdialog.h"
#include "lcchartdialog.h"
#include "resources.h"
#include "settingsdialog.h"
#include "sweepdialog.h"
#include "zchartdialog.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDebug>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressDialog>
#include <QSaveFile>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSettings>
#include <QSignalBlocker>
#include <QSlider>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <QTextDocument>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <climits>
#include <cmath>
#include <optional>

using LCNet::Calculator;
using LCNet::Impedance;

namespace
{

// Every value the window writes into an input reads back as the same double.
QString number(double value)
{
    return LCNet::shortestText(value);
}

// The value of a typed number, or none while the text is not one (yet): "",
// "-", ".", "1e". A number beyond the double range is infinite, as typed.
std::optional<double> numberIn(const QString &text)
{
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (ok || std::isinf(value))
        return value;
    return std::nullopt;
}

// A text that is no number is drawn in red, dark on a light field and light
// on a dark one, so that it reads under either palette.
void markNumber(QLineEdit *edit, bool isNumber)
{
    if (edit->property("notANumber").toBool() == !isNumber)
        return;
    edit->setProperty("notANumber", !isNumber);
    if (isNumber) {
        edit->setPalette(QPalette());
        return;
    }
    QPalette palette = edit->palette();
    const bool darkField = palette.color(QPalette::Base).lightness() < 128;
    palette.setColor(QPalette::Text, darkField ? QColor(255, 128, 128) : QColor(192, 0, 0));
    edit->setPalette(palette);
}

// "R +j X" or "R -j |X|": the reactance is always written without its sign.
QString impedanceText(const Impedance &z, const QString &pattern)
{
    if (z.X < 0)
        return pattern.arg(z.R).arg(-z.X).arg(QStringLiteral("-j"));
    return pattern.arg(z.R).arg(z.X).arg(QStringLiteral("+j"));
}

// A bar value for a double, or -1 when none is defined (NaN, -inf).
int barValue(double value, int maximum)
{
    if (std::isnan(value) || value < INT_MIN)
        return -1;
    if (value > maximum)
        return maximum;
    return static_cast<int>(value);
}

const char *const swrBarStyle =
    "QProgressBar:horizontal {border: 1px solid black; background: white; padding: 1px; } "
    "QProgressBar::chunk:horizontal { background: rgb(%1, %2, %3); }";

// The step of a bank whose value is exactly `value`, the current one where
// steps repeat a value, or -1. Relay values need not rise: the whole table
// is searched.
int stepOf(const LCNet::StepTable &steps, double value, int current)
{
    if (current >= 0 && current < steps.size() && steps[current] == value)
        return current;
    for (int i = 0; i < steps.size(); ++i)
        if (steps[i] == value)
            return i;
    return -1;
}

// That step, or else the one nearest to the value (0 for NaN).
int nearestStep(const LCNet::StepTable &steps, double value, int current)
{
    int best = stepOf(steps, value, current);
    if (best >= 0)
        return best;
    best = 0;
    double gap = HUGE_VAL;
    for (int i = 0; i < steps.size(); ++i)
        if (std::fabs(steps[i] - value) < gap) {
            gap = std::fabs(steps[i] - value);
            best = i;
        }
    return best;
}

// Three digits for the loss figures, never an exponent above 1000.
QString figure(double value)
{
    return std::fabs(value) >= 1000.0 ? QString::number(value, 'f', 0)
                                      : QString::number(value, 'g', 3);
}

const char *const valueStyle = "background-color: rgb(240, 240, 240); color: rgb(0, 0, 0);";
// Beyond a rating: red on the value labels' own light background, which
// they keep under any palette.
const char *const overStyle =
    "background-color: rgb(240, 240, 240); color: rgb(192, 0, 0); font-weight: bold;";

// Rows an Auto Tune table lists; the rest are counted in one closing row.
constexpr int MaxReportRows = 1000;
// Searches and typing repaint the window at most this often (ms).
constexpr int RepaintInterval = 50;

// Lays the form out at the viewport's size, or at its minimum size where
// the viewport is smaller. QScrollArea's own resizing would ask a form with
// word-wrapped labels for its preferred height, and scroll where nothing
// needs to.
class FormScrollArea : public QScrollArea
{
public:
    using QScrollArea::QScrollArea;

protected:
    void resizeEvent(QResizeEvent *event) override
    {
        QScrollArea::resizeEvent(event);
        if (QWidget *form = widget())
            form->resize(viewport()->size().expandedTo(form->minimumSizeHint()));
    }
};

// Keeps the wait cursor for exactly the life of one command.
class WaitCursor
{
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor &) = delete;
    WaitCursor &operator=(const WaitCursor &) = delete;
};

} // namespace

MainWindow::MainWindow(QWidget *parent) : QMainWindow(parent), ui(new Ui::MainWindow)
{
    matchReport = QString();
    updating = true;
    calculator = new Calculator;

    Vorlap::initResources();
    ui->setupUi(this);
    setAcceptDrops(true);
    formMinimumSize = minimumSize();

    // On a screen lower than the form, the form scrolls rather than being
    // cut off; the "Results" pane takes any extra height.
    auto *scroll = new FormScrollArea(this);
    scroll->setObjectName(QStringLiteral("scrollArea"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setFocusPolicy(Qt::NoFocus);
    scroll->setWidget(takeCentralWidget());
    setCentralWidget(scroll);
    ui->verticalLayout->setStretchFactor(ui->groupBox_3, 1);
    // A scroll bar that appears while a long report is added would have the
    // pane lay the whole report out again at the narrower width.
    ui->teLog->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    if (const QScreen *screen = QGuiApplication::primaryScreen())
        fitInto(screen->availableGeometry());

    fillStepLists();
    setUpLossFigures();

    // Return or leaving a field shows the value in force; the lists apply a
    // typed value there, as they insert nothing into themselves.
    for (QLineEdit *edit : {ui->edtRLoad, ui->edtXLoad, ui->edtFreq})
        connect(edit, &QLineEdit::editingFinished, this, [this, edit] { showValueInForce(edit); });
    for (QComboBox *combo : {ui->cmbL, ui->cmbC}) {
        QLineEdit *edit = combo->lineEdit();
        connect(edit, &QLineEdit::editingFinished, this, [this, edit] {
            ui->acnCalcZIn->trigger();
            showValueInForce(edit);
        });
    }

    connect(calculator, SIGNAL(dataChanged(LCNet::Calculator *)), this, SLOT(refreshGUI()));
    connect(calculator,
            SIGNAL(foundMatch(LCNet::Calculator::NetType, double, double, LCNet::Impedance, double,
                              int)),
            this,
            SLOT(refreshMatch(LCNet::Calculator::NetType, double, double, LCNet::Impedance, double,
                              int)));
    connect(calculator, SIGNAL(progressMismatch(int, int, bool &)), this,
            SLOT(refreshProgress(int, int, bool &)));

    readSettings();
    refreshGUI();
    QTimer::singleShot(0, this, &MainWindow::refreshZIn);
    statusBar()->showMessage(tr("Ready."));
}

MainWindow::~MainWindow()
{
    // The focused field loses its focus while the widgets are destroyed.
    for (QLineEdit *edit : inputFields())
        edit->disconnect(this);
    delete calculator;
    calculator = nullptr;
    delete ui;
}

QList<QLineEdit *> MainWindow::inputFields() const
{
    return {ui->edtRLoad, ui->edtXLoad, ui->edtFreq, ui->cmbL->lineEdit(), ui->cmbC->lineEdit()};
}

QMargins MainWindow::frameWidths() const
{
    const QRect frame = frameGeometry();
    const QRect inner = geometry();
    return {inner.left() - frame.left(), inner.top() - frame.top(), frame.right() - inner.right(),
            frame.bottom() - inner.bottom()};
}

void MainWindow::fitInto(const QRect &available)
{
    fittedFrame = frameWidths();
    const QSize room = available.marginsRemoved(fittedFrame).size();
    setMinimumSize(formMinimumSize.boundedTo(room).expandedTo(QSize(1, 1)));
    resize(size().boundedTo(room).expandedTo(minimumSize()));

    // Centred, then pulled inside so that the title bar, menus and toolbar
    // stay reachable.
    const QSize outer = size().grownBy(fittedFrame);
    QPoint topLeft = available.center() - QRect(QPoint(), outer).center();
    topLeft.setX(
        std::max(available.left(), std::min(topLeft.x(), available.right() + 1 - outer.width())));
    topLeft.setY(
        std::max(available.top(), std::min(topLeft.y(), available.bottom() + 1 - outer.height())));
    move(topLeft);
}

void MainWindow::moveEvent(QMoveEvent *event)
{
    QMainWindow::moveEvent(event);
    // The frame's size is known only once the window manager has framed the
    // shown window; fit again then, but never when the user moves it.
    if (isVisible() && !(windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen)) &&
        frameWidths() != fittedFrame)
        QTimer::singleShot(0, this, [this] {
            if (const QScreen *shown = screen())
                fitInto(shown->availableGeometry());
        });
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (searching) {
        // Let the search unwind first; the window closes when it has.
        closePending = true;
        if (progressDialog)
            progressDialog->cancel();
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}

void MainWindow::showStatus(const QString &text)
{
    statusBar()->showMessage(text);
}

void MainWindow::appendLog(const QString &html)
{
    ui->teLog->append(html);
}

void MainWindow::showNewestLog()
{
    // Moving the cursor lays the pane out to its end, down to the margin.
    ui->teLog->moveCursor(QTextCursor::End);
    ui->teLog->ensureCursorVisible();
    ui->teLog->verticalScrollBar()->setValue(ui->teLog->verticalScrollBar()->maximum());
}

void MainWindow::keepPainting()
{
    if (paintClock.isValid() && paintClock.elapsed() < RepaintInterval)
        return;
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    paintClock.start();
}

QString MainWindow::configurationName(Calculator::NetType n)
{
    return n != Calculator::CAntenna ? QStringLiteral("C-TRX") : QStringLiteral("\"C-Antenna\"");
}

// --- Input panel ------------------------------------------------------------

void MainWindow::refreshGUI()
{
    updating = true;
    fillStepLists();
    // A field being typed into is never rewritten under the user's hands.
    const struct {
        QLineEdit *edit;
        double value;
    } fields[] = {{ui->edtRLoad, calculator->loadImpedance.R},
                  {ui->edtXLoad, calculator->loadImpedance.X},
                  {ui->edtFreq, calculator->frequency}};
    for (const auto &field : fields)
        if (!field.edit->hasFocus())
            showValue(field.edit, field.value);

    const struct {
        QComboBox *combo;
        const LCNet::StepTable &steps;
        double value;
    } lists[] = {{ui->cmbL, calculator->inductorSteps(), calculator->inductance},
                 {ui->cmbC, calculator->capacitorSteps(), calculator->capacitance}};
    for (const auto &list : lists) {
        // A value that is no step keeps its text; selecting index -1 would
        // clear the field and drag the slider to step 0.
        const int step = stepOf(list.steps, list.value, list.combo->currentIndex());
        if (step >= 0)
            list.combo->setCurrentIndex(step);
        showValue(list.combo->lineEdit(), list.value);
    }

    ui->rbLC->setChecked(calculator->netType == Calculator::CAntenna);
    ui->rbCL->setChecked(calculator->netType == Calculator::CTrx);

    keepPainting();
    updating = false;
}

void MainWindow::fillStepLists()
{
    const bool wasUpdating = updating;
    updating = true;
    const struct {
        QComboBox *combo;
        QSlider *slider;
        const LCNet::StepTable &steps;
        double value;
        LCNet::BankSpec &listed;
    } lists[] = {{ui->cmbL, ui->horizontalSlider, calculator->inductorSteps(),
                  calculator->inductance, listedInductor},
                 {ui->cmbC, ui->horizontalSlider_2, calculator->capacitorSteps(),
                  calculator->capacitance, listedCapacitor}};
    for (const auto &list : lists) {
        if (list.listed == list.steps.bank() && list.combo->count() == list.steps.size())
            continue;
        list.listed = list.steps.bank();
        // Nothing is recalculated while the lists change under the value.
        const QSignalBlocker quietList(list.combo);
        const QSignalBlocker quietSlider(list.slider);
        const int current = list.combo->currentIndex();
        QStringList texts;
        texts.reserve(list.steps.size());
        for (int i = 0; i < list.steps.size(); ++i)
            texts << number(list.steps[i]);
        list.combo->clear();
        list.combo->addItems(texts);
        list.slider->setMaximum(list.steps.last());
        // The value in force stays, at its step or beside the nearest one.
        const int step = nearestStep(list.steps, list.value, current);
        list.combo->setCurrentIndex(step);
        list.slider->setValue(step);
        showValue(list.combo->lineEdit(), list.value);
    }
    updating = wasUpdating;
}

void MainWindow::showValue(QLineEdit *edit, double value)
{
    const QString text = number(value);
    if (edit->text() != text)
        edit->setText(text);
    markNumber(edit, true);
}

double MainWindow::valueInForce(const QLineEdit *edit) const
{
    if (edit == ui->edtRLoad)
        return calculator->loadImpedance.R;
    if (edit == ui->edtXLoad)
        return calculator->loadImpedance.X;
    if (edit == ui->edtFreq)
        return calculator->frequency;
    if (edit == ui->cmbL->lineEdit())
        return calculator->inductance;
    return calculator->capacitance;
}

void MainWindow::showValueInForce(QLineEdit *edit)
{
    const bool wasUpdating = updating;
    updating = true;
    showValue(edit, valueInForce(edit));
    updating = wasUpdating;
}

void MainWindow::setBandFrequency(const char *lowEdge, const char *highEdge)
{
    ui->edtFreq->setText(QString::fromLatin1(ui->rbLoBand->isChecked() ? lowEdge : highEdge));
}

void MainWindow::on_pushButton_clicked()
{
    setBandFrequency("1830", "1850");
}
void MainWindow::on_pushButton_2_clicked()
{
    setBandFrequency("3500", "3800");
}
void MainWindow::on_pushButton_3_clicked()
{
    setBandFrequency("7000", "7200");
}
void MainWindow::on_pushButton_4_clicked()
{
    setBandFrequency("10100", "10150");
}
void MainWindow::on_pushButton_5_clicked()
{
    setBandFrequency("14000", "14350");
}
void MainWindow::on_pushButton_6_clicked()
{
    setBandFrequency("18068", "18168");
}
void MainWindow::on_pushButton_7_clicked()
{
    setBandFrequency("21000", "21450");
}
void MainWindow::on_pushButton_8_clicked()
{
    setBandFrequency("24890", "24990");
}
void MainWindow::on_pushButton_9_clicked()
{
    setBandFrequency("28000", "29700");
}
void MainWindow::on_pushButton_10_clicked()
{
    setBandFrequency("50000", "51000");
}

// --- Result display ---------------------------------------------------------

void MainWindow::on_acnCalcZIn_triggered()
{
    if (updating)
        return;
    showStatus(tr("Calculating..."));
    refreshZIn();
    showStatus(tr("Done."));
}

void MainWindow::refreshZIn()
{
    // Every input is read before any setter can make refreshGUI rewrite
    // them. A text that is no number (yet) keeps the value in force.
    const QList<QLineEdit *> fields = inputFields();
    double typed[5];
    bool isNumber[5];
    for (int k = 0; k < 5; ++k) {
        const std::optional<double> value = numberIn(fields[k]->text());
        isNumber[k] = value.has_value();
        typed[k] = value.value_or(valueInForce(fields[k]));
    }

    calculator->setFrequency(typed[2]);
    calculator->setCapacitance(typed[4]);
    calculator->setInductance(typed[3]);
    calculator->setLoadImpedance(Impedance(typed[0], typed[1]));
    calculator->setNetType(ui->rbLC->isChecked() ? Calculator::CAntenna : Calculator::CTrx);

    // Only a field being typed into may show a text that is no number.
    for (int k = 0; k < 5; ++k) {
        if (isNumber[k] || fields[k]->hasFocus())
            markNumber(fields[k], isNumber[k]);
        else
            showValueInForce(fields[k]);
    }

    Impedance zIn;
    double swr = 0.0;
    calculator->calculate(zIn, swr);

    ui->lblZIn->setText(impedanceText(zIn, QStringLiteral("<b>%1 %3 %2</b>")));
    ui->lblSWR->setText(QStringLiteral("<b>%1</b>").arg(swr));

    int red = 255, green = 0, blue = 0;
    if (swr < calculator->lowSWR) {
        red = 0;
        green = 255;
    } else if (swr < calculator->mediumSWR) {
        red = 0;
        blue = 255;
    }
    ui->prbSWR->setStyleSheet(QString::fromLatin1(swrBarStyle).arg(red).arg(green).arg(blue));
    const int swrBar = barValue(10.0 * swr, ui->prbSWR->maximum());
    if (swrBar >= 0)
        ui->prbSWR->setValue(swrBar);

    const double reflected = LCNet::reflectedPower(100.0, swr);
    ui->lblPRef->setText(
        QStringLiteral("%1/%2").arg(reflected, -5, 'f', 1).arg(100.0 - reflected, -5, 'f', 1));
    // Total reflection fills the bar; an active load reflects more than it
    // receives, which the bar cannot show, and leaves it where it was.
    const int reflectedBar = barValue(reflected, ui->pbReflected->maximum());
    if (reflectedBar >= 0 && reflected <= 100.0)
        ui->pbReflected->setValue(reflectedBar);

    ui->lblTrxLoss->setText(QStringLiteral("%1 dB").arg(LCNet::transmissionLoss(reflected, 100.0)));
    ui->lblRetLoss->setText(QStringLiteral("%1 dB").arg(LCNet::returnLoss(reflected, 100.0)));

    showLossFigures();
    keepPainting();
}

// Two rows under TL and RL, in the same style, aligned with them: the
// efficiency and the current through L, the watts lost in L and C and the
// peak voltage across C.
void MainWindow::setUpLossFigures()
{
    QGridLayout *grid = ui->gridLayout_2;
    // The spacer that ends the column moves below the new rows.
    grid->removeItem(ui->verticalSpacer_2);
    grid->addItem(ui->verticalSpacer_2, 5, 0);
    const struct {
        const char *name;
        QString caption;
        QString tip;
        QLabel **value;
        int row;
        int column;
    } cells[] = {
        {"lblEfficiency", tr("Eff"),
         tr("Efficiency: power reaching the load / power entering the tuner"),
         &lossFigures.efficiency, 3, 0},
        {"lblLossLC", tr("Loss"), tr("Watts dissipated in L / in C"), &lossFigures.loss, 3, 2},
        {"lblCurrentL", tr("I(L)"), tr("RMS current through L"), &lossFigures.currentL, 4, 0},
        {"lblVoltageC", tr("V(C)"), tr("Peak voltage across C"), &lossFigures.voltageC, 4, 2},
    };
    for (const auto &cell : cells) {
        auto *caption = new QLabel(cell.caption, ui->centralWidget);
        caption->setObjectName(QLatin1String(cell.name) + QLatin1String("Caption"));
        caption->setMinimumWidth(ui->label_18->minimumWidth());
        caption->setToolTip(cell.tip);
        auto *value = new QLabel(ui->centralWidget);
        value->setObjectName(QLatin1String(cell.name));
        value->setMinimumWidth(ui->lblTrxLoss->minimumWidth());
        value->setFrameShape(QFrame::Box);
        value->setStyleSheet(QLatin1String(valueStyle));
        value->setTextFormat(Qt::PlainText);
        value->setToolTip(cell.tip);
        grid->addWidget(caption, cell.row, cell.column);
        grid->addWidget(value, cell.row, cell.column + 1);
        *cell.value = value;
        lossFigures.widgets << caption << value;
    }
    for (QWidget *w : std::as_const(lossFigures.widgets))
        w->hide();
}

void MainWindow::showLossFigures()
{
    const bool shown = calculator->components.enabled;
    for (QWidget *w : std::as_const(lossFigures.widgets))
        w->setVisible(shown);
    if (!shown)
        return;
    const LCNet::ComponentSettings &comp = calculator->components;
    const LCNet::PowerFigures p = calculator->powerFigures();
    lossFigures.efficiency->setText(std::isnan(p.efficiency)
                                        ? QStringLiteral("-")
                                        : QString::number(100.0 * p.efficiency, 'f', 1) +
                                              QStringLiteral(" %"));
    lossFigures.loss->setText(QStringLiteral("%1 / %2 W").arg(figure(p.lossL), figure(p.lossC)));
    lossFigures.currentL->setText(figure(p.currentL) + QStringLiteral(" A"));
    lossFigures.voltageC->setText(figure(p.voltageCPeak) + QStringLiteral(" V pk"));
    const struct {
        QLabel *label;
        bool over;
        QString tip;
    } rated[] = {
        {lossFigures.currentL, p.currentOver,
         tr("RMS current through L; the coil is rated %1 A").arg(figure(comp.currentRating))},
        {lossFigures.voltageC, p.voltageOver,
         tr("Peak voltage across C; the capacitor is rated %1 V").arg(figure(comp.voltageRating))},
    };
    for (const auto &r : rated) {
        r.label->setStyleSheet(QLatin1String(r.over ? overStyle : valueStyle));
        r.label->setToolTip(r.over ? r.tip + tr(", exceeded") : r.tip);
    }
}

// --- Settings ---------------------------------------------------------------

QString MainWindow::settingsFilePath()
{
    return settingsFilePath(QCoreApplication::applicationFilePath(),
                            QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation));
}

QString MainWindow::settingsFilePath(const QString &exePath, const QString &configDir)
{
    const QFileInfo exe(exePath);
    const QString exeDir = exe.absolutePath();
    // Installed copies share their folder with other programs, even where
    // it is writable (root, a prefix in the home folder): the desktop entry
    // that the install puts beside bin/ tells them from a build tree.
    const bool installed =
        !QFileInfo(exeDir).isWritable() ||
        QFileInfo::exists(exeDir +
                          QStringLiteral("/../share/applications/" VORLAP_APP_ID ".desktop"));
    // QSettings creates the configuration folder when it first writes.
    return QDir::toNativeSeparators(installed ? configDir : exeDir) + QDir::separator() +
           exe.baseName() + QStringLiteral(".ini");
}

void MainWindow::readSettings()
{
    const QString path = settingsFilePath();
    if (!QFileInfo::exists(path))
        return;
    calculator->clear();
    QSettings settings(path, QSettings::IniFormat);
    LCNet::applySettings(*calculator, LCNet::readSettings(settings));
    fillStepLists();
    qDebug() << "Settings read from file" << path;
}

bool MainWindow::writeSettings()
{
    const QString path = settingsFilePath();
    QSettings settings(path, QSettings::IniFormat);
    LCNet::writeSettings(settings, LCNet::settingsOf(*calculator));
    settings.sync();
    // A malformed line in an existing file gives FormatError, yet sync()
    // has rewritten the file clean: only AccessError is a lost save.
    if (settings.status() == QSettings::AccessError)
        return false;
    qDebug() << "Settings written to file" << path;
    return true;
}

void MainWindow::on_acnSettings_triggered()
{
    SettingsDialog dialog(this);
    dialog.setLowSWR(calculator->lowSWR);
    dialog.setMediumSWR(calculator->mediumSWR);
    dialog.setHighSWR(calculator->highSWR);
    dialog.setBruteForce(calculator->bruteForce);
    dialog.setSmartTune(calculator->smartTune);
    dialog.setImpedanceStep(calculator->impedanceStep);
    dialog.setNumberOfRings(calculator->numberOfRings);
    dialog.setEpsilonSWR(calculator->epsilonSWR);
    dialog.setDefaultCableLength(calculator->defaultCableLength);
    dialog.setVelocityFactor(calculator->velocityFactor);
    dialog.setComponents(calculator->components);
    dialog.setCable(calculator->cable);
    dialog.setBanks(calculator->inductorSteps().bank(), calculator->capacitorSteps().bank());
    if (dialog.exec() != QDialog::Accepted)
        return;

    calculator->lowSWR = dialog.getLowSWR();
    calculator->mediumSWR = dialog.getMediumSWR();
    calculator->highSWR = dialog.getHighSWR();
    calculator->bruteForce = dialog.getBruteForce();
    calculator->smartTune = dialog.getSmartTune();
    calculator->impedanceStep = dialog.getImpedanceStep();
    calculator->numberOfRings = dialog.getNumberOfRings();
    calculator->epsilonSWR = dialog.getEpsilonSWR();
    calculator->defaultCableLength = dialog.getDefaultCableLength();
    calculator->velocityFactor = dialog.getVelocityFactor();

    // The lists follow the banks; the charts and the Band Sweep, which
    // take their copy of the calculator on dataChanged, follow every part.
    const LCNet::BankSpec inductor = dialog.getInductorBank();
    const LCNet::BankSpec capacitor = dialog.getCapacitorBank();
    const bool banksChanged = inductor != calculator->inductorSteps().bank() ||
                              capacitor != calculator->capacitorSteps().bank();
    const bool partsChanged = banksChanged || !(dialog.getComponents() == calculator->components) ||
                              !(dialog.getCable() == calculator->cable);
    calculator->components = dialog.getComponents();
    calculator->cable = dialog.getCable();
    calculator->setBanks(inductor, capacitor);
    if (banksChanged)
        fillStepLists();
    if (partsChanged) {
        emit calculator->dataChanged(calculator);
        refreshZIn();
    }

    if (writeSettings())
        showStatus(tr("Settings applied."));
    else
        showStatus(
            tr("Settings applied, but they could not be saved to \"%1\"").arg(settingsFilePath()));
}

// --- Auto Tune ----------------------------------------------------------------

void MainWindow::on_acnCalcLC_triggered()
{
    WaitCursor wait;
    ui->teLog->clear();
    if (!calculator->smartTune && !calculator->bruteForce) {
        appendLog(QString());
        appendLog(tr("<b>No algoritms enabled! Please check Vorlap Settings.</b>"));
        appendLog(QString());
        return;
    }
    if (calculator->bruteForce)
        runTuneAlgorithm(tr("<b>Brute Force algorithm solutions</b>"),
                         tr("Calculating all possibilities..."), &Calculator::bruteForceSearch);
    if (calculator->smartTune)
        runTuneAlgorithm(tr("<b>Smart Tune algorithm solutions</b>"), tr("Smart Calculation..."),
                         &Calculator::smartTuneSearch);
    showNewestLog();
}

void MainWindow::runTuneAlgorithm(const QString &heading, const QString &status,
                                  int (Calculator::*search)())
{
    appendLog(QString());
    appendLog(heading);
    appendLog(QString());
    showStatus(status);

    // With real components, each match also gives its efficiency and the
    // peak voltage across C.
    const bool losses = calculator->components.enabled;
    matchReport = QStringLiteral("<table border=1 cellpadding=4>");
    matchReport += QStringLiteral("<thead><tr><th>Config.</th><th>L [uH]</th><th>C [pF]</th>"
                                  "<th>Z In [Ohm]</th><th>SWR</th>");
    if (losses)
        matchReport += QStringLiteral("<th>Eff. [%]</th><th>V(C) peak [V]</th>");
    matchReport += QStringLiteral("<th>#Iterations</th></tr></thead>");
    matchCount = 0;
    const int iterations = (calculator->*search)();
    refreshZIn();
    if (matchCount > MaxReportRows)
        matchReport += tr("<tr><td colspan=%2 align=center>... and %1 more matches</td></tr>")
                           .arg(matchCount - MaxReportRows)
                           .arg(losses ? 8 : 6);
    matchReport += QStringLiteral("</table>");

    if (matchCount > 0) {
        appendLog(tr("All available matching configurations with SWR<%1").arg(calculator->lowSWR));
        appendLog(QString());
        appendLog(matchReport);
        appendLog(QString());
    }
    appendLog(tr("<b>After %4 iterations the best is: %1 configuration with L=%2 uH C=%3 pF</b>")
                  .arg(configurationName(calculator->netType))
                  .arg(calculator->inductance)
                  .arg(calculator->capacitance)
                  .arg(iterations));
    showStatus(tr("Done."));
}

void MainWindow::refreshMatch(Calculator::NetType n, double l, double c, Impedance zIn, double swr,
                              int iteration)
{
    // A table of every match can hold 131072 rows: the pane would take
    // minutes to lay it out, and nobody reads past the first screens.
    if (++matchCount <= MaxReportRows) {
        matchReport += QStringLiteral("<tr><td align=center>%1</td><td>L=%2</td><td>C=%3</td>"
                                      "<td>ZIn=%4</td><td>SWR=%5</td>")
                           .arg(configurationName(n))
                           .arg(l)
                           .arg(c)
                           .arg(impedanceText(zIn, QStringLiteral("%1 %3 %2")))
                           .arg(swr);
        if (calculator->components.enabled)
            matchReport += lossCells(n, l, c);
        matchReport += QStringLiteral("<td align=center>%1</td></tr>").arg(iteration);
    }
    keepPainting();
}

QString MainWindow::lossCells(Calculator::NetType n, double l, double c) const
{
    const LCNet::ComponentSettings &comp = calculator->components;
    const LCNet::PowerFigures p = LCNet::powerFigures(
        n != Calculator::CAntenna,
        LCNet::networkParts(1000.0 * calculator->frequency, 1e-6 * l, 1e-12 * c, comp),
        calculator->loadImpedance, comp);
    // As few digits as the losses line shows, so that the wider table
    // still fits the pane.
    return QStringLiteral("<td>Eff=%1</td><td>VC=%2</td>")
        .arg(QString::number(100.0 * p.efficiency, 'f', 1), figure(p.voltageCPeak));
}

// --- Load and antenna commands ------------------------------------------------

void MainWindow::on_acnCalcZLoad_triggered()
{
    showStatus(tr("Calculating..."));
    const Impedance z = calculator->matchedZLoad();
    appendLog(tr("<b>Z Load: R=%1 X=%2</b>").arg(z.R).arg(z.X));
    ui->edtRLoad->setText(number(z.R));
    ui->edtXLoad->setText(number(z.X));
    refreshZIn();
    showNewestLog();
    showStatus(tr("Done."));
}

void MainWindow::setCommandsEnabled(bool enabled)
{
    ui->centralWidget->setEnabled(enabled);
    ui->menuBar->setEnabled(enabled);
    ui->toolBar->setEnabled(enabled);
    // Shortcuts reach actions even with the menus disabled; every action of
    // the window is its direct child.
    for (QAction *action : findChildren<QAction *>(QString(), Qt::FindDirectChildrenOnly))
        action->setEnabled(enabled);
}

void MainWindow::on_acnFindZload_triggered()
{
    if (searching)
        return;
    const QString label = ui->lblSWR->text();
    const QString shown = label.size() >= 7 ? label.mid(3, label.size() - 7) : QString();
    const QString answer = askText(tr("Find Z Load for a specified SWR"), tr("Target SWR:"), shown);
    if (answer.isEmpty())
        return;

    QApplication::setOverrideCursor(Qt::WaitCursor);
    showStatus(tr("Calculating..."));
    const double target = answer.toDouble();

    progressDialog = new QProgressDialog(this);
    progressDialog->setLabelText(tr("Searching Z Load for SWR=%1").arg(target));
    progressDialog->setRange(0, calculator->numberOfRings);
    progressDialog->setModal(true);

    searching = true;
    closePending = false;
    setCommandsEnabled(false);

    Impedance z;
    const bool found = calculator->mismatchSearch(target, &z);

    setCommandsEnabled(true);
    searching = false;

    if (!found || closePending) {
        appendLog(tr("<b>Z Load not found!</b>"));
        showStatus(tr("Done."));
    } else {
        ui->edtRLoad->setText(number(z.R));
        ui->edtXLoad->setText(number(z.X));
        refreshZIn();
        appendLog(tr("<b>Z Load Found: R=%1 X=%2</b>").arg(z.R).arg(z.X));
        showStatus(tr("Done."));
    }

    delete progressDialog;
    progressDialog = nullptr;
    QApplication::restoreOverrideCursor();
    showNewestLog();
    showStatus(tr("Done."));

    if (closePending) {
        closePending = false;
        close();
    }
}

QString MainWindow::askText(const QString &title, const QString &label, const QString &initial)
{
    QInputDialog prompt(this);
    prompt.setWindowTitle(title);
    prompt.setLabelText(label);
    prompt.setTextValue(initial);
    // Wide enough for the whole title beside the window manager's icon and
    // buttons, in a bold title font. The dialog takes its size from its
    // layout, so the text field is what is widened.
    QFont titleFont = prompt.font();
    titleFont.setBold(true);
    const QFontMetrics metrics(titleFont);
    const QMargins margins = prompt.layout() ? prompt.layout()->contentsMargins() : QMargins();
    if (auto *field = prompt.findChild<QLineEdit *>())
        field->setMinimumWidth(metrics.horizontalAdvance(title) + 8 * metrics.height() -
                               margins.left() - margins.right());
    if (prompt.exec() != QDialog::Accepted)
        return QString();
    return prompt.textValue();
}

void MainWindow::refreshProgress(int currentIteration, int maxIterations, bool &abort)
{
    showStatus(tr("Iteration %1 of %2: ").arg(currentIteration).arg(maxIterations));
    QCoreApplication::processEvents();
    // A cancelled dialog reappears on setValue, so ask it first.
    const bool cancelled = closePending || (progressDialog && progressDialog->wasCanceled());
    if (progressDialog && !cancelled)
        progressDialog->setValue(currentIteration);
    abort = cancelled;
}

void MainWindow::on_acnCalcZAnt_triggered()
{
    const QString answer = askText(tr("Find Z Ant connected with a cable"), tr("Cable length:"),
                                   number(calculator->defaultCableLength));
    if (answer.isEmpty())
        return;

    const double length = answer.toDouble();
    const Impedance zAnt = calculator->antennaImpedance(length);
    const double swr = LCNet::computeSWR(LCNet::Z0, zAnt);
    const double pRef = LCNet::reflectedPower(100.0, swr);
    const double tl = LCNet::transmissionLoss(pRef, 100.0);

    matchReport = QStringLiteral("<table border=1 cellpadding=4>");
    matchReport += QStringLiteral("<tr><td align=center>Z</td><td>R=%1 X=%2</td></tr>")
                       .arg(zAnt.R)
                       .arg(zAnt.X);
    matchReport += QStringLiteral("<tr><td align=center>SWR</td><td>%1</td></tr>").arg(swr);
    matchReport +=
        QStringLiteral("<tr><td align=center>PRef</td><td>%1 of 100W</td></tr>").arg(pRef);
    matchReport += QStringLiteral("<tr><td align=center>TL</td><td>%1 dB</td></tr>").arg(tl);
    // A real line: its loss over this length, and the SWR on it at both
    // ends, against its own impedance.
    const LCNet::CableSpec &cable = calculator->cable;
    if (!cable.isIdeal50()) {
        const LCNet::CablePreset *preset = LCNet::findCablePreset(cable.type);
        const QString name =
            preset ? QCoreApplication::translate("LCNet::Cable", preset->name) : tr("Custom line");
        const Impedance zc(cable.impedance, 0.0);
        const double loss = LCNet::cableMatchedLoss(1000.0 * calculator->frequency, length, cable);
        matchReport += tr("<tr><td align=center>Cable</td><td>%1, %2 Ohm</td></tr>")
                           .arg(name)
                           .arg(cable.impedance);
        matchReport +=
            tr("<tr><td align=center>Cable loss</td><td>%1 dB matched, %2 m at %3 kHz</td></tr>")
                .arg(loss)
                .arg(length)
                .arg(calculator->frequency);
        matchReport += tr("<tr><td align=center>SWR antenna</td><td>%1</td></tr>")
                           .arg(LCNet::computeSWR(zc, zAnt));
        matchReport += tr("<tr><td align=center>SWR tuner</td><td>%1</td></tr>")
                           .arg(LCNet::computeSWR(zc, calculator->loadImpedance));
        // A lossy line returns less than it is sent: a load reflecting
        // more than that at the tuner has no passive antenna behind it.
        if (zAnt.R < 0 && cable.loss > 0)
            matchReport += tr("<tr><td align=center>Note</td><td>No passive antenna gives this "
                              "load through this line: it reflects more than the line's loss "
                              "lets back</td></tr>");
    }
    matchReport += QStringLiteral("</table>");

    appendLog(QString());
    appendLog(tr("<b>Antenna estimation</b>"));
    appendLog(matchReport);
    appendLog(QString());
    showNewestLog();
    showStatus(tr("Done."));
}

// --- Windows and dialogs --------------------------------------------------------

template <class Chart> void MainWindow::openChart()
{
    auto *dialog = new Chart(calculator, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(calculator, &Calculator::dataChanged, dialog, &Chart::changeCurrent);
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
}

void MainWindow::on_acnLCChart_triggered()
{
    openChart<LCChartDialog>();
}

void MainWindow::on_acnZChart_triggered()
{
    openChart<ZChartDialog>();
}

SweepDialog *MainWindow::openSweep()
{
    // One sweep window: a dropped file goes to the one already open.
    if (!sweep) {
        sweep = new SweepDialog(calculator, this);
        sweep->setAttribute(Qt::WA_DeleteOnClose);
        connect(calculator, &Calculator::dataChanged, sweep, &SweepDialog::updateSettings);
        connect(sweep, &SweepDialog::pointChosen, this, &MainWindow::applySweepPoint);
    }
    sweep->show();
    sweep->raise();
    sweep->activateWindow();
    return sweep;
}

void MainWindow::on_acnBandSweep_triggered()
{
    openSweep();
}

bool MainWindow::sweepFile(const QString &path)
{
    return openSweep()->openFile(path);
}

void MainWindow::applySweepPoint(double frequencyKHz, Impedance load, double l, double c,
                                 Calculator::NetType type)
{
    if (searching)
        return;
    calculator->setFrequency(frequencyKHz);
    calculator->setCapacitance(c);
    calculator->setInductance(l);
    calculator->setLoadImpedance(load);
    calculator->setNetType(type);
    refreshZIn();
    showStatus(tr("Band Sweep point at %1 kHz applied.").arg(LCNet::shortestText(frequencyKHz)));
}

void MainWindow::on_acnTuningLab_triggered()
{
    auto *lab = new LabDialog(calculator, this);
    lab->setAttribute(Qt::WA_DeleteOnClose);
    lab->setSettleTime(calculator->settleTime);
    lab->show();
    lab->raise();
    lab->activateWindow();
}

void MainWindow::dragEnterEvent(QDragEnterEvent *event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    if (!searching && urls.size() == 1 && urls.first().isLocalFile())
        event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent *event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    if (searching || urls.size() != 1 || !urls.first().isLocalFile())
        return;
    event->acceptProposedAction();
    const QString path = urls.first().toLocalFile();
    if (!looksLikeSession(path)) {
        sweepFile(path);
        return;
    }
    // Opened once the drop is over: a message box inside the drop would
    // hold up the program the file was dragged from.
    QTimer::singleShot(0, this, [this, path] { openSession(path); });
}

void MainWindow::on_acnHelp_triggered()
{
    HelpDialog dialog(this);
    dialog.exec();
}

void MainWindow::on_acnAbout_triggered()
{
    QMessageBox::about(
        this, tr("About this application"),
        QStringLiteral("<h2>") + windowTitle() + QStringLiteral("</h2>") +
            tr("<p>The simulator computes the input impedance of an L matching network between a "
               "50 ohm transmitter and a load, with its SWR, reflected power and losses. From the "
               "present L and C it estimates the load impedance (cable plus antenna) that they "
               "match, or that gives a chosen SWR, and the antenna impedance at the far end of a "
               "cable of a given length.</p>"
               "<p>It was inspired by a commercial automatic antenna tuner whose inductor and "
               "capacitor banks have 256 steps each, switched by relays in binary-weighted "
               "sections.</p>"));
}

void MainWindow::on_acnQuit_triggered()
{
    close();
}

// --- Sessions and the report ---------------------------------------------------

bool MainWindow::looksLikeSession(const QString &path)
{
    const QFileInfo info(path);
    if (info.suffix().compare(QLatin1String("vorlap"), Qt::CaseInsensitive) == 0)
        return true;
    // Only a plain file is read: a pipe would wait for a writer.
    QFile file(path);
    if (!info.isFile() || !file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = file.read(4096);
    return head.trimmed().startsWith('{') && head.contains("\"vorlap-session\"");
}

QString MainWindow::askFileName(bool save, const QString &title, const QString &suggested,
                                const QStringList &filters, const QStringList &suffixes)
{
    const QDir folder(fileFolder.isEmpty() ? QDir::homePath() : fileFolder);
    QFileDialog dialog(this, title,
                       suggested.isEmpty() ? folder.path() : folder.filePath(suggested));
    dialog.setNameFilters(filters);
    if (save) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        // A name typed without a suffix takes the chosen type's, before the
        // dialog asks whether to replace an existing file.
        dialog.setDefaultSuffix(suffixes.value(0));
        connect(&dialog, &QFileDialog::filterSelected, &dialog, [&](const QString &filter) {
            dialog.setDefaultSuffix(suffixes.value(int(filters.indexOf(filter))));
        });
        const int typed = int(suffixes.indexOf(QFileInfo(suggested).suffix().toLower()));
        if (typed > 0) {
            dialog.selectNameFilter(filters.value(typed));
            dialog.setDefaultSuffix(suffixes.value(typed));
        }
    } else {
        dialog.setFileMode(QFileDialog::ExistingFile);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    const QString chosen = dialog.selectedFiles().constFirst();
    fileFolder = QFileInfo(chosen).absolutePath();
    return chosen;
}

bool MainWindow::openSession(const QString &path)
{
    if (searching)
        return false;
    const QString shown = QDir::toNativeSeparators(path);
    LCNet::Session session;
    QString error;
    if (!LCNet::readSessionFile(path, &session, &error)) {
        showStatus(tr("Could not open %1").arg(shown));
        QMessageBox::warning(this, tr("Open Session"),
                             tr("The session was not opened; nothing has changed.\n\n%1")
                                 .arg(QDir::toNativeSeparators(error)));
        return false;
    }
    // The settings file is left alone: it keeps the user's own settings,
    // and the session is the user's work.
    LCNet::applySession(*calculator, session);
    refreshGUI();
    // A field being typed into shows the session too, as refreshZIn applies
    // what the fields show.
    for (QLineEdit *edit : inputFields())
        showValueInForce(edit);
    refreshZIn();
    sessionPath = QFileInfo(path).absoluteFilePath();
    fileFolder = QFileInfo(sessionPath).absolutePath();
    showStatus(tr("Opened %1").arg(shown));
    return true;
}

bool MainWindow::saveSession(const QString &path)
{
    if (searching)
        return false;
    QString error;
    if (!LCNet::writeSessionFile(path, LCNet::sessionOf(*calculator), &error)) {
        showStatus(tr("Could not save %1").arg(QDir::toNativeSeparators(error)));
        return false;
    }
    sessionPath = QFileInfo(path).absoluteFilePath();
    showStatus(tr("Saved %1").arg(QDir::toNativeSeparators(path)));
    return true;
}

std::unique_ptr<QTextDocument> MainWindow::reportDocument() const
{
    std::unique_ptr<QTextDocument> report(ui->teLog->document()->clone());
    report->setMetaInformation(QTextDocument::DocumentTitle, tr("%1 report").arg(windowTitle()));
    return report;
}

bool MainWindow::exportReport(const QString &path)
{
    const bool pdf =
        QFileInfo(path).suffix().compare(QLatin1String("pdf"), Qt::CaseInsensitive) == 0;
    const std::unique_ptr<QTextDocument> report = reportDocument();
    QSaveFile file(path);
    bool written = file.open(QIODevice::WriteOnly);
    if (written && pdf) {
        QPdfWriter writer(&file);
        writer.setTitle(report->metaInformation(QTextDocument::DocumentTitle));
        writer.setCreator(windowTitle());
        report->print(&writer);
    } else if (written) {
        written = file.write(report->toHtml().toUtf8()) >= 0;
    }
    const QString shown = QDir::toNativeSeparators(path);
    if (!written || !file.commit()) {
        showStatus(tr("Could not save %1: %2").arg(shown, file.errorString()));
        return false;
    }
    showStatus(tr("Saved %1").arg(shown));
    return true;
}

bool MainWindow::printReport(QPrinter *printer)
{
    const QString target =
        printer->outputFormat() == QPrinter::PdfFormat ? printer->outputFileName() : QString();
    if (target.isEmpty()) {
        ui->teLog->print(printer);
        const QString name =
            printer->printerName().isEmpty() ? tr("the printer") : printer->printerName();
        if (printer->printerState() == QPrinter::Error) {
            showStatus(tr("Could not print on %1").arg(name));
            return false;
        }
        showStatus(tr("Printed on %1").arg(name));
        return true;
    }

    // The printer writes its file in place: it writes a temporary one,
    // which replaces the chosen file only when complete.
    const QString shown = QDir::toNativeSeparators(target);
    QTemporaryFile temporary;
    if (!temporary.open()) {
        showStatus(tr("Could not save %1: %2").arg(shown, temporary.errorString()));
        return false;
    }
    printer->setOutputFileName(temporary.fileName());
    ui->teLog->print(printer);
    printer->setOutputFileName(target);
    const bool printed = printer->printerState() != QPrinter::Error;
    QSaveFile file(target);
    if (!printed || !file.open(QIODevice::WriteOnly) || file.write(temporary.readAll()) < 0 ||
        !file.commit()) {
        showStatus(tr("Could not save %1: %2")
                       .arg(shown, printed ? file.errorString() : tr("the printing failed")));
        return false;
    }
    showStatus(tr("Saved %1").arg(shown));
    return true;
}

void MainWindow::on_acnOpenSession_triggered()
{
    const QString path = askFileName(false, tr("Open Session"), QString(),
                                     {tr("Vorlap sessions (*.vorlap)"), tr("All files (*)")}, {});
    if (!path.isEmpty())
        openSession(path);
}

void MainWindow::on_acnSaveSession_triggered()
{
    const QString suggested =
        sessionPath.isEmpty() ? QStringLiteral("session.vorlap") : sessionPath;
    const QString path =
        askFileName(true, tr("Save Session As"), suggested, {tr("Vorlap sessions (*.vorlap)")},
                    {QStringLiteral("vorlap")});
    if (!path.isEmpty())
        saveSession(path);
}

void MainWindow::on_acnExportReport_triggered()
{
    const QString path =
        askFileName(true, tr("Export Report"), QStringLiteral("report.html"),
                    {tr("HTML document (*.html *.htm)"), tr("PDF document (*.pdf)")},
                    {QStringLiteral("html"), QStringLiteral("pdf")});
    if (!path.isEmpty())
        exportReport(path);
}

void MainWindow::on_acnPrint_triggered()
{
    if (!printer)
        printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    QPrintDialog dialog(printer.get(), this);
    dialog.setWindowTitle(tr("Print Report"));
    if (ui->teLog->textCursor().hasSelection())
        dialog.setOption(QAbstractPrintDialog::PrintSelection);
    if (dialog.exec() == QDialog::Accepted)
        printReport(printer.get());
}
