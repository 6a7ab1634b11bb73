#include "ugredit.h"

#include "board_view.h"
#include "desk_settings.h"
#include "eraser_glyph.h"
#include "exercise_desk.h"
#include "labeled_edit.h"
#include "reserve_fields.h"
#include "screen_fit.h"
#include "spin_edit.h"
#include "typed_entry.h"
#include "unit2.h"
#include "up_down.h"
#include "window_fields.h"

#include "board/board.h"
#include "cycle/tick_cycle.h"
#include "desk/board_commands.h"
#include "desk/commands.h"
#include "desk/field_words.h"
#include "desk/input_commands.h"
#include "model/figures.h"
#include "model/number_text.h"
#include "model/numeric.h"
#include "model/units.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScopedValueRollback>
#include <QScrollArea>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <limits>
#include <tuple>
#include <vector>

namespace varmet {

namespace {

// ---- The fields, their blocks and places ----------------------------------------------------

enum class Kind {
    Stepped, // read-only edit changed by its up-down button
    Display, // read-only edit written by the program
    Disabled, // grey edit nothing reads or writes
    Spin, // spin field, typed or stepped by its own arrows
};

struct BlockEntry
{
    const char *name;
    const char *caption;
    QRect frame; // in window client coordinates
    int captionPoints;
    int columnPitch; // the fields stand in columns this far apart
    int firstRow; // top of the first row of fields, below the block caption and a field caption
};

// The blocks fill the band right of the board, narrow enough for the whole console and a window
// frame to show on a 1024 x 768 screen. Rows of fields are 38 px apart: a field caption fits
// between one field and the next.
constexpr BlockEntry Blocks[] = {
    {"GroupBox2", "Параметры движения цели", {684, 0, 330, 217}, 10, 110, 38},
    {"GroupBox3", "Параметры движения ПЛ", {684, 220, 163, 61}, 8, 78, 34},
    {"GroupBox4", "Относительные Кц и Vц", {851, 220, 163, 61}, 8, 78, 34},
    {"GroupBox5", "Данные для стрельбы", {684, 284, 330, 99}, 8, 81, 34},
    {"GroupBox6", "Расчетные данные для ТС по угловым величинам", {684, 386, 330, 100}, 8, 81, 34},
    {"GroupBox7", "Расчетные данные для ТС по линейным величинам", {684, 489, 330, 159}, 8, 81, 34},
};
enum Block { TargetBlock, OwnMotion, Relative, FiringData, Angular, Linear };

struct FieldEntry
{
    int block;
    const char *name;
    Kind kind;
    const char *caption;
    const char *hint;
    int column;
    int row;
    const char *text = "0"; // starting text, or the starting value of a spin field
    const char *upDown = nullptr;
    int minimum = 0;
    int maximum = 0;
    int step = 1;
    bool wraps = false;
    int width = 60;
};

constexpr int RowPitch = 38;
constexpr int FirstColumn = 6;
constexpr int FieldHeight = 21;

QPoint FieldPlace(int block, int column, int row)
{
    const BlockEntry &entry = Blocks[block];
    return {FirstColumn + column * entry.columnPitch, entry.firstRow + row * RowPitch};
}

// clang-format off
constexpr FieldEntry Fields[] = {
    {TargetBlock, "SpinEdit2", Kind::Spin, "Номер п/п", "Переключение между целями", 0, 0,
     "1", nullptr, 1, 5, 1},
    {TargetBlock, "LabeledEdit4", Kind::Stepped, "Номер цели", "Ввод номера цели", 1, 0,
     "1", "UpDown13", 1, 10, 1, false, 40},
    {TargetBlock, "LabeledEdit7", Kind::Stepped, "П акустический", "Ввод акустического пеленга на цель", 0, 1,
     "0", "UpDown7", 0, 359, 1, true},
    {TargetBlock, "LabeledEdit8", Kind::Stepped, "Д до цели (кбт)", "Корректура дистанции до цели", 1, 1,
     "0", "UpDown3", 0, 300, 1},
    {TargetBlock, "Edit1", Kind::Display, "П автоматный", "Отображение расчетного пеленга на цель", 0, 2},
    {TargetBlock, "LabeledEdit11", Kind::Display, "Д автоматная", "Отображение расчетной дистанции до цели", 1, 2},
    {TargetBlock, "LabeledEdit9", Kind::Stepped, "Кц", "Корректура курса цели", 2, 1,
     "0", "UpDown1", 0, 359, 1, true},
    {TargetBlock, "LabeledEdit1", Kind::Stepped, "Vц (узл)", "Корректура скорости цели", 2, 2,
     "20", "UpDown2", 0, 50, 1},
    {TargetBlock, "LabeledEdit24", Kind::Display, "КУц", "Отображение курсового угла цели", 0, 3},
    {TargetBlock, "LabeledEdit25", Kind::Display, "Тетта", "Отображение расчетного угла встречи торпеды с целью", 1, 3},
    {TargetBlock, "LabeledEdit10", Kind::Display, "Delta П", "Отклонение последнего замеренного пеленга от расчетного (промах пробного решения), град", 0, 4, ""},
    {TargetBlock, "LabeledEdit13", Kind::Display, "Delta Д", "Отклонение последней замеренной дистанции от расчетной, кбт", 1, 4, ""},
    {TargetBlock, "LabeledEdit12", Kind::Display, "ВИП", "Скорость изменения расчетного пеленга при пробных Кц и Vц, град/мин (плюс: пеленг растет)", 2, 4, ""},

    {OwnMotion, "LabeledEdit5", Kind::Stepped, "К пл", "Ввод курса ПЛ", 0, 0,
     "0", "UpDown4", 0, 359, 1, true},
    {OwnMotion, "LabeledEdit6", Kind::Stepped, "V пл (узл)", "Ввод скорости ПЛ", 1, 0,
     "0", "UpDown5", 0, 50, 1},

    {Relative, "LabeledEdit3", Kind::Display, "Кц отн", "Отображение относительного курса цели", 0, 0},
    {Relative, "LabeledEdit2", Kind::Display, "Vц отн (узл)", "Отображение относительной скорости цели", 1, 0},

    {FiringData, "LabeledEdit14", Kind::Stepped, "Vт (узл)", "Ввод скорости торпеды", 0, 0,
     "45", "UpDown8", 0, 200, 1},
    {FiringData, "LabeledEdit15", Kind::Stepped, "Е (м)", "Ввод максимального пути хода торпеды", 1, 0,
     "19000", "UpDown9", 0, 32000, 1000},
    {FiringData, "LabeledEdit16", Kind::Stepped, "КС (м)", "Ввод длины кильватерного следа цели", 2, 0,
     "0", "UpDown10", 0, 4000, 100},
    {FiringData, "LabeledEdit17", Kind::Stepped, "L (м)", "Ввод длины цели", 3, 0,
     "200", "UpDown11", 0, 700, 50},
    {FiringData, "LabeledEdit18", Kind::Stepped, "Delta Fi (Fi)", "Ввод кильватерной поправки", 0, 1,
     "0", "UpDown6", -45, 45, 1},
    {FiringData, "LabeledEdit19", Kind::Disabled, "Дс (м)", nullptr, 1, 1,
     "0", "UpDown12", 0, 15000, 1},

    {Angular, "LabeledEdit20", Kind::Display, "  Fi (град)", "Расчетный угол упреждения медианы залпа", 0, 0},
    {Angular, "LabeledEdit21", Kind::Display, " W (град)", "Омега медианы залпа", 1, 0},
    {Angular, "LabeledEdit22", Kind::Display, " ет (м)", "Путь до цели по медиане залпа", 2, 0},
    {Angular, "LabeledEdit23", Kind::Display, " Мз (град)", "Направление медианы залпа", 3, 0},

    {Linear, "SpinEdit1", Kind::Spin, "Тетта (гр)", "Ввод угла встречи торпеды с целью при стрельбе с Тетта заданным", 0, 0,
     "90", nullptr, -150, 150, 10},
    {Linear, "SpinEdit3", Kind::Spin, "Delta ет (м)", "Ввод пути торпеды к цели после второго поворота", 1, 0,
     "0", nullptr, 0, 10000, 100},
    {Linear, "LabeledEdit34", Kind::Display, "Мз1 (град)", "Отображение расчетной медианы залпа первой торпеды", 2, 0},
    {Linear, "LabeledEdit35", Kind::Display, "Мз2 (град)", "Отображение расчетной медианы залпа второй торпеды", 3, 0},
    {Linear, "LabeledEdit32", Kind::Display, "Fi1 (град)", "Отображение расчетного угла упреждения первой торпеды", 0, 1},
    {Linear, "LabeledEdit33", Kind::Display, "Fi2 (град)", "Отображение расчетного угла упреждения второй торпеды", 1, 1},
    {Linear, "LabeledEdit28", Kind::Display, "ет1 (м)", "Отображение расчетного пути первой торпеды к цели", 2, 1},
    {Linear, "LabeledEdit29", Kind::Display, "ет2 (м)", "Отображение расчетного пути второй торпеды к цели", 3, 1},
    {Linear, "LabeledEdit26", Kind::Display, "W1 (град)", "Отображение расчетной омеги первой торпеды", 0, 2},
    {Linear, "LabeledEdit27", Kind::Display, "W2 (град)", "Отображение расчетной омеги второй торпеды", 1, 2},
    {Linear, "LabeledEdit30", Kind::Display, "Alfa'1", "Отображение расчетного угла второго поворота первой торпеды", 2, 2},
    {Linear, "LabeledEdit31", Kind::Display, "Alfa'2", "Отображение расчетного угла второго поворота второй торпеды", 3, 2},
};
// clang-format on

// What a display shows while there is no value for it.
const std::string NoValue = "—";

QString Text(const char *utf8)
{
    return QString::fromUtf8(utf8);
}

QWidget *MakeField(const FieldEntry &entry, QWidget *block)
{
    const QPoint at = FieldPlace(entry.block, entry.column, entry.row);
    QWidget *widget = nullptr;
    if (entry.kind == Kind::Spin) {
        widget = new SpinEdit(Text(entry.caption), entry.minimum, entry.maximum, entry.step,
            Text(entry.text).toInt(), block);
    } else {
        auto *edit = new LabeledEdit(Text(entry.caption), block);
        // The window opens on a slot without a target: no computed values yet. The analysis
        // fields, which give their own start text, stay empty until the first fix.
        const bool computed = entry.kind == Kind::Display && *entry.text != '\0';
        edit->setText(computed ? QString::fromStdString(NoValue) : Text(entry.text));
        edit->setReadOnly(entry.kind != Kind::Disabled);
        edit->setEnabled(entry.kind != Kind::Disabled);
        if (entry.kind == Kind::Disabled)
            edit->setBackground(block->palette().color(QPalette::Button));
        widget = edit;
    }
    widget->setObjectName(entry.name);
    widget->setGeometry(at.x(), at.y(), entry.width, FieldHeight);
    // A screen reader reads a field by its caption and hint.
    widget->setAccessibleName(Text(entry.caption).trimmed());
    if (entry.hint) {
        widget->setToolTip(Text(entry.hint));
        widget->setAccessibleDescription(Text(entry.hint));
    }
    if (entry.kind == Kind::Display)
        widget->setFocusPolicy(Qt::NoFocus);
    if (entry.upDown) {
        auto *upDown = new UpDown(static_cast<LabeledEdit *>(widget), entry.minimum, entry.maximum,
            entry.step, entry.wraps);
        upDown->setObjectName(entry.upDown);
        upDown->setEnabled(entry.kind != Kind::Disabled);
        if (entry.kind != Kind::Disabled)
            new TypedEntry(upDown);
    }
    return widget;
}

QToolButton *MakeToggle(const char *name, const char *hint, QRect geometry, QWidget *parent)
{
    auto *button = new QToolButton(parent);
    button->setObjectName(name);
    button->setCheckable(true);
    button->setToolTip(Text(hint));
    button->setGeometry(geometry);
    return button;
}

QLabel *MakeLabel(const char *name, const char *text, QPoint at, QWidget *parent)
{
    auto *label = new QLabel(Text(text), parent);
    label->setObjectName(name);
    label->move(at);
    label->adjustSize();
    return label;
}

const QString OpenFilter = QStringLiteral("Все (*.bmp *.png *.ico);;Точечные рисунки (*.bmp);;"
                                          "Рисунки PNG (*.png);;Значки (*.ico)");
const QString SaveFilter = QStringLiteral("Точечные рисунки (*.bmp);;Рисунки PNG (*.png)");

constexpr QSize ClientSize(1016, 692);
// Where the window opens when the screen has room for it.
constexpr QPoint UsualPlace(62, 31);

} // namespace

// ---- Construction ------------------------------------------------------------------------------

TForm1::TForm1(QWidget *parent)
    : QMainWindow(parent)
    , m_guard([this](const QString &message) { showMessage(message); })
{
    showMessage = [this](const QString &message) { showMessageBox(message); };
    askFileName = [this](const FileRequest &request) { return showFileDialog(request); };
    askToSave = [this](const QString &question) { return showQuestion(question); };

    setObjectName("Form1");
    setWindowTitle(QStringLiteral("БИУС \"Вармет\""));
    QFont windowFont(QStringLiteral("DejaVu Sans"), 8);
    windowFont.setStyleHint(QFont::SansSerif);
    setFont(windowFont);

    auto *scroll = new QScrollArea(this);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setFocusPolicy(Qt::NoFocus);
    auto *client = new QWidget;
    client->setFixedSize(ClientSize);
    scroll->setWidget(client);
    setCentralWidget(scroll);
    buildControls(client);
    buildMenu();
    // The status bar shows the time control's state; its height is fixed so that the window is
    // placed with it.
    statusBar()->setFixedHeight(fontMetrics().height() + 8);
    orderTabs();
    placeOnScreen();

    m_timer1 = new QTimer(this);
    m_timer1->setObjectName("Timer1");
    m_timer2 = new QTimer(this);
    m_timer2->setObjectName("Timer2");
    for (QTimer *timer : {m_timer1, m_timer2})
        timer->setInterval(1000);

    FormCreate();
    wireHandlers();
    m_exerciseDesk = std::make_unique<ExerciseDesk>(*this);
    wireJournal();
    m_timer1->start();
    m_timer2->start();
    m_startUp = captureSession();
}

TForm1::~TForm1()
{
    m_timer1->stop();
    m_timer2->stop();
    // No handler may run while the controls are taken down: a field that loses the focus as the
    // window goes still corrects its text and signals, when this window is only a QWidget.
    for (QObject *child : findChildren<QObject *>())
        child->disconnect(this);
    m_desk.reset();
}

void TForm1::placeOnScreen()
{
    const QRect area = AvailableScreenArea(*this);
    const QRect frameNow = frameGeometry(), clientNow = geometry();
    const QMargins frame(clientNow.left() - frameNow.left(), clientNow.top() - frameNow.top(),
        frameNow.right() - clientNow.right(), frameNow.bottom() - clientNow.bottom());
    // Where the operator left it, when that still lies on the screen; a size smaller than the
    // content only when the operator chose it, not one a smaller screen once forced.
    const auto kept = DeskSettings::windowFrame();
    const bool keptWhole = kept && kept->frame.width() >= contentSize().width()
        && kept->frame.height() >= contentSize().height();
    if (kept && !m_placedOnce && area.contains(kept->frame.marginsAdded(frame))
        && (keptWhole || kept->sizedByOperator)) {
        setGeometry(kept->frame);
        m_placedSize = kept->frame.size();
        m_sizedByOperator = kept->sizedByOperator;
        return;
    }
    QSize content = contentSize();
    // A scroll bar needed in one direction takes room in the other.
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    const QSize wanted = content.grownBy(frame);
    if (wanted.width() > area.width())
        content.rheight() += bar;
    if (wanted.height() > area.height())
        content.rwidth() += bar;
    const QRect outer = FitOnScreen(content, frame, UsualPlace, area);
    move(outer.topLeft());
    resize(outer.size().shrunkBy(frame));
    m_placedSize = size();
    m_sizedByOperator = false;
}

QSize TForm1::contentSize() const
{
    return ClientSize + QSize(0, menuBar()->sizeHint().height() + statusBar()->minimumHeight());
}

void TForm1::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (m_placedOnce)
        return;
    m_placedOnce = true;
    // The frame is known now: a window that with it would reach past the screen is fitted again.
    if (!AvailableScreenArea(*this).contains(frameGeometry()))
        placeOnScreen();
}

void TForm1::orderTabs()
{
    // Tab goes through the input fields only, block after block, each in reading order. The
    // buttons and boxes take the focus when clicked.
    for (QWidget *w : centralWidget()->findChildren<QWidget *>()) {
        if (w->focusPolicy() & Qt::TabFocus)
            w->setFocusPolicy(Qt::ClickFocus);
    }
    std::vector<const FieldEntry *> inputs;
    for (const FieldEntry &entry : Fields) {
        if (entry.kind == Kind::Stepped || entry.kind == Kind::Spin)
            inputs.push_back(&entry);
    }
    std::stable_sort(inputs.begin(), inputs.end(), [](const FieldEntry *a, const FieldEntry *b) {
        return std::tuple(a->block, a->row, a->column) < std::tuple(b->block, b->row, b->column);
    });
    QWidget *previous = nullptr;
    for (const FieldEntry *entry : inputs) {
        QWidget *w = findChild<QWidget *>(QString::fromLatin1(entry->name));
        w->setFocusPolicy(Qt::StrongFocus);
        if (previous)
            setTabOrder(previous, w);
        previous = w;
    }
    m_spinEdit2->setFocus(Qt::OtherFocusReason);
}

void TForm1::buildControls(QWidget *client)
{
    m_image3 = new BoardView(client);
    m_image3->move(32, 0);

    m_sbErase = MakeToggle("SBErase", "Включение и выключение ластика", {4, 3, 25, 25}, client);
    m_sbErase->setIcon(EraserGlyph());

    std::array<QGroupBox *, std::size(Blocks)> blocks {};
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        const BlockEntry &entry = Blocks[i];
        auto *block = new QGroupBox(Text(entry.caption), client);
        block->setObjectName(entry.name);
        block->setGeometry(entry.frame);
        blocks[i] = block;
    }
    for (const FieldEntry &entry : Fields)
        MakeField(entry, blocks[static_cast<std::size_t>(entry.block)]);
    m_spinEdit2 = client->findChild<SpinEdit *>("SpinEdit2");
    m_spinEdit2->setAcceptsOutOfRangeTyping(true);

    auto *button2 = new QPushButton(QStringLiteral("№"), blocks[TargetBlock]);
    button2->setObjectName("Button2");
    button2->setToolTip(QStringLiteral("Отображение номера цели на экране"));
    const QRect number = field("LabeledEdit4")->geometry();
    button2->setGeometry(number.right() + 1 + 17 + 3, number.top(), 21, 21);

    // "Замер" beside the bearing and the distance, right of their arrows: the report in the field
    // logged now, also when it has not changed (a steady bearing).
    const std::tuple<const char *, const char *, const char *, void (TForm1::*)()> fixButtons[] = {
        {"ButtonFixBearing", "LabeledEdit7",
            "Замер пеленга: записать пеленг из поля в журнал замеров на текущее время (F6)",
            &TForm1::FixBearingClick},
        {"ButtonFixDistance", "LabeledEdit8",
            "Замер дистанции: записать дистанцию из поля в журнал замеров на текущее время",
            &TForm1::FixDistanceClick},
    };
    for (const auto &[name, fieldName, hint, click] : fixButtons) {
        auto *fix = new QToolButton(blocks[TargetBlock]);
        fix->setText(QStringLiteral("Зам"));
        fix->setObjectName(name);
        fix->setToolTip(Text(hint));
        fix->setAccessibleName(Text(hint).section(QLatin1Char(':'), 0, 0));
        fix->setFocusPolicy(Qt::NoFocus); // Tab goes from field to field
        const QRect at = field(fieldName)->geometry();
        fix->setGeometry(at.right() + 1 + 17 + 3, at.top(), 28, 21);
        connect(fix, &QToolButton::clicked, this, click);
    }

    QWidget *angular = blocks[Angular];
    // The banner and the check box share the row under the fields, side by side.
    const int underFields = FieldPlace(Angular, 0, 1).y();
    auto *banner = MakeLabel("Label13", "СТРЕЛЬБА ЗАПРЕЩЕНА", {FirstColumn, underFields}, angular);
    QFont bannerFont = font();
    bannerFont.setPointSize(10);
    bannerFont.setBold(true);
    banner->setFont(bannerFont);
    banner->setAlignment(Qt::AlignCenter);
    banner->setGeometry(FirstColumn, underFields, 196, 22);
    banner->setAutoFillBackground(true);
    QPalette red = banner->palette();
    red.setColor(QPalette::Window, Qt::red);
    banner->setPalette(red);
    banner->hide();
    banner->setAccessibleName(banner->text());

    auto *checkBox1 = new QCheckBox(QStringLiteral("Отображение"), angular);
    checkBox1->setObjectName("CheckBox1");
    checkBox1->setToolTip(QStringLiteral("Вывод на экран расчитанных угловых величин"));
    checkBox1->setGeometry(banner->geometry().right() + 1 + 12, underFields + 2, 110, 18);

    auto *checkBox2 = new QCheckBox(QStringLiteral("Отображение"), blocks[Linear]);
    checkBox2->setObjectName("CheckBox2");
    checkBox2->setToolTip(QStringLiteral("Вывод на экран расчитанных линейных величин"));
    checkBox2->setGeometry(FirstColumn, FieldPlace(Linear, 0, 2).y() + FieldHeight + 4, 110, 18);
    checkBox2->setChecked(true);

    // Under the board: the grid refresh at its left end, target motion under its right half.
    auto *button1 = new QPushButton(QStringLiteral("Обновление сетки"), client);
    button1->setObjectName("Button1");
    button1->setToolTip(
        QStringLiteral("Восстановление координатной сетки после стирания ластиком"));
    button1->setGeometry(32, 657, 120, 25);

    auto *groupBox1 = new QGroupBox(client);
    groupBox1->setObjectName("GroupBox1");
    groupBox1->setToolTip(
        QStringLiteral("При подготовке стрельбы резервным способом движение цели надо выключать"));
    groupBox1->setGeometry(357, 652, 325, 36);
    auto *radio1 = new QRadioButton(QStringLiteral("Вкл. движение цели"), groupBox1);
    radio1->setObjectName("RadioButton1");
    radio1->setGeometry(10, 9, 150, 18);
    radio1->setChecked(true);
    auto *radio2 = new QRadioButton(QStringLiteral("Выкл. движение цели"), groupBox1);
    radio2->setObjectName("RadioButton2");
    radio2->setGeometry(170, 9, 150, 18);

    // The time block under the right-hand blocks.
    MakeLabel("Label22", "Оперативное время", {688, 652}, client);
    MakeLabel("Label12", "Label12", {688, 670}, client)->setFixedWidth(130);
    m_speedButton1 = MakeToggle("SpeedButton1",
        "Отображение на экране времени с начала работы программы", {820, 654, 23, 22}, client);
    m_speedButton1->setChecked(true);
    MakeLabel("Label23", "Судовое время", {855, 652}, client);
    MakeLabel("Label19", "Label19", {855, 670}, client)->setFixedWidth(130);
    m_speedButton2 = MakeToggle(
        "SpeedButton2", "Отображение на зкране судового времени", {989, 654, 23, 22}, client);
    for (const auto &[display, caption] :
        {std::pair {"Label12", "Оперативное время"}, std::pair {"Label19", "Судовое время"}})
        client->findChild<QLabel *>(display)->setAccessibleName(Text(caption));

    // A block caption may be larger than the fields it frames.
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        if (Blocks[i].captionPoints == font().pointSize())
            continue;
        QFont captionFont = font();
        captionFont.setPointSize(Blocks[i].captionPoints);
        blocks[i]->setFont(captionFont);
        for (QWidget *child : blocks[i]->findChildren<QWidget *>())
            child->setFont(font());
    }

    const char *held[] = {"UpDown4", "UpDown7", "UpDown3", "UpDown1"};
    for (std::size_t i = 0; i < m_heldSteppers.size(); ++i)
        m_heldSteppers[i] = client->findChild<UpDown *>(held[i]);
}

void TForm1::buildMenu()
{
    auto addMenu = [this](const char *name, const char *title) {
        QMenu *menu = menuBar()->addMenu(Text(title));
        menu->setObjectName(name);
        menu->menuAction()->setObjectName(name);
        return menu;
    };
    auto addItem
        = [this](QMenu *menu, const char *name, const char *title, void (TForm1::*handler)()) {
              QAction *action = menu->addAction(Text(title));
              action->setObjectName(name);
              wire(action, &QAction::triggered, handler);
              return action;
          };
    QMenu *file = addMenu("MFile", "&Файл");
    addItem(file, "MOpen", "&Открыть", &TForm1::MOpenClick)->setShortcut(Qt::CTRL | Qt::Key_O);
    addItem(file, "MSave", "&Сохранить как...", &TForm1::MSaveClick)
        ->setShortcuts({Qt::Key_F2, Qt::CTRL | Qt::Key_S});
    file->addSeparator();
    addItem(file, "MSaveSession", "Сохранить &сеанс…", &TForm1::MSaveSessionClick);
    addItem(file, "MOpenSession", "Открыть с&еанс…", &TForm1::MOpenSessionClick);
    addItem(file, "MSaveJournal", "Сохранить &журнал…", &TForm1::MSaveJournalClick);
    addItem(file, "MReplayJournal", "&Воспроизвести журнал…", &TForm1::MReplayJournalClick);
    file->addSeparator();
    addItem(file, "MExit", "&Выход", &TForm1::MExitClick)->setShortcut(Qt::CTRL | Qt::Key_Q);
    QMenu *edit = addMenu("N1", "Правка");
    m_undoAction = addItem(edit, "MUndoAction", "Отменить действие", &TForm1::UndoActionClick);
    m_undoAction->setShortcut(QKeySequence::Undo);
    m_redoAction = addItem(edit, "MRedoAction", "Повторить действие", &TForm1::RedoActionClick);
    m_redoAction->setShortcuts({Qt::CTRL | Qt::SHIFT | Qt::Key_Z, Qt::CTRL | Qt::Key_Y});
    // The board picture's own restore (after the eraser) keeps its item.
    addItem(edit, "N2", "Восстановить рисунок", &TForm1::UndoClick);
    edit->addSeparator();
    addItem(edit, "MFixBearing", "Замер пеленга", &TForm1::FixBearingClick)
        ->setShortcut(Qt::Key_F6);
    addItem(edit, "MActionLog", "Журнал действий", &TForm1::ActionLogClick);
    // The name of an undo says what it will do, which depends on the time passed.
    connect(edit, &QMenu::aboutToShow, this, &TForm1::updateUndoItems);
    addItem(addMenu("MAnalysis", "Анализ"), "MBearings", "Анализ пеленгов", &TForm1::MBearingsClick)
        ->setShortcut(Qt::Key_F3);
    addItem(addMenu("N3", "Справка"), "N4", "Справка", &TForm1::N4Click)->setShortcut(Qt::Key_F1);
}

QMenu *TForm1::addRoomMenu(const QString &title, const char *name)
{
    auto *menu = new QMenu(title, this);
    menu->setObjectName(name);
    menu->menuAction()->setObjectName(name);
    if (auto *help = findChild<QMenu *>(QStringLiteral("N3")))
        menuBar()->insertMenu(help->menuAction(), menu);
    else
        menuBar()->addMenu(menu);
    return menu;
}

void TForm1::FormCreate()
{
    m_fields = std::make_unique<WindowFields>(
        this, m_guard, [this](const auto &handler) { handle(handler); });
    m_desk = std::make_unique<Desk>(*m_fields);
    m_fields->attach(m_desk.get());
    m_image3->setPicture(&m_desk->board().canvas().picture());
    m_desk->board().canvas().takeChangedArea();
    // A typed, confirmed value is the operator's action through the desk: a bearing or distance
    // is a fix at once, also when it equals what the field shows; stepping settles over two
    // ticks.
    for (LabeledEdit *edit : findChildren<LabeledEdit *>()) {
        TypedEntry *entry = TypedEntry::of(edit);
        const std::optional<Control> control = InputControlNamed(edit->objectName());
        if (entry && control)
            entry->enter
                = [this, control](int value) { perform(new EnterValue(*m_desk, *control, value)); };
    }
    // So is every step of their arrows and keys; a press and the repeats of the held arrow are
    // one action.
    for (UpDown *upDown : findChildren<UpDown *>()) {
        const std::optional<Control> control = InputControlNamed(upDown->associate()->objectName());
        if (!control)
            continue;
        upDown->stepTo
            = [this, control](std::optional<UpDown::Operation> operation, int steps, int value) {
                  const StepField::Motion motion = !operation  ? StepField::Motion::Keys
                      : *operation == UpDown::Operation::Press ? StepField::Motion::Press
                                                               : StepField::Motion::Repeat;
                  perform(new StepField(*m_desk, *control, motion, steps, value));
              };
    }
    // "Номер цели" shows the selected slot's target number, which its arrows, keys and typed
    // value change through the desk.
    LabeledEdit *targetNumber = field("LabeledEdit4");
    if (TypedEntry *entry = TypedEntry::of(targetNumber))
        entry->enter = [this](int value) {
            perform(new SetTargetNumber(*m_desk, SetTargetNumber::Motion::Typed, 0, value));
        };
    for (UpDown *upDown : findChildren<UpDown *>()) {
        if (upDown->associate() != targetNumber)
            continue;
        upDown->stepTo = [this](std::optional<UpDown::Operation> operation, int steps, int value) {
            const SetTargetNumber::Motion motion = !operation ? SetTargetNumber::Motion::Keys
                : *operation == UpDown::Operation::Press      ? SetTargetNumber::Motion::Press
                                                              : SetTargetNumber::Motion::Repeat;
            perform(new SetTargetNumber(*m_desk, motion, steps, value));
        };
    }
    connect(m_desk.get(), &Desk::targetNumberShown, this,
        [this](std::int32_t value) { writeField("LabeledEdit4", RealText(value)); });
    // The desk shows a slot in the fields, its target number in its old place among them.
    connect(m_desk.get(), &Desk::showingSlot, this, [this](int number) {
        writeField("LabeledEdit4", RealText(m_desk->state().Slots[number].TargetNumber));
    });
    connect(m_desk.get(), &Desk::slotShown, this, &TForm1::slotSelected);
    // The selected slot holds the target number the window opens with.
    LabeledEdit4Change();
}

template<class Sender, class Signal>
void TForm1::wire(Sender *sender, Signal signal, void (TForm1::*handler)())
{
    connect(
        sender, signal, this, [this, handler] { handle([this, handler] { (this->*handler)(); }); });
}

void TForm1::wireHandlers()
{
    // The cycle's entries run from the desk's fields (WindowFields), which the widgets feed.
    connect(m_timer1, &QTimer::timeout, this, &TForm1::Timer1Timer);
    connect(m_timer2, &QTimer::timeout, this, &TForm1::Timer2Timer);

    wire(m_spinEdit2, &SpinEdit::fieldTextChanged, &TForm1::SpinEdit2Change);
    wire(field("LabeledEdit4"), &QLineEdit::textChanged, &TForm1::LabeledEdit4Change);

    for (std::size_t i = 0; i < m_heldSteppers.size(); ++i) {
        connect(m_heldSteppers[i], &UpDown::pressed, this,
            [this, i] { handle([this, i] { pressHeldStepper(i); }); });
        wire(m_heldSteppers[i], &UpDown::released, &TForm1::EndHold);
    }

    wire(m_speedButton1, &QToolButton::clicked, &TForm1::SpeedButton1Click);
    wire(m_speedButton2, &QToolButton::clicked, &TForm1::SpeedButton2Click);
    wire(findChild<QPushButton *>("Button1"), &QPushButton::clicked, &TForm1::Button1Click);
    wire(findChild<QPushButton *>("Button2"), &QPushButton::clicked, &TForm1::Button2Click);

    connect(m_image3, &BoardView::mousePressed, this, &TForm1::Image3MouseDown);
    connect(m_image3, &BoardView::mouseMoved, this, &TForm1::Image3MouseMove);
    connect(m_image3, &BoardView::mouseReleased, this, &TForm1::Image3MouseUp);
}

void TForm1::Timer1Timer()
{
    // The cycle never re-enters a tick, also not from the nested loop of a fault's message box.
    const std::int32_t before = m_desk->state().TickCount;
    handle([this] {
        m_desk->cycle().Timer1Timer();
        writeReserveFields();
    });
    if (m_exerciseDesk)
        m_exerciseDesk->AfterTick();
    if (m_desk->state().TickCount != before)
        m_desk->journal().tick();
    emit ticked();
}

void TForm1::handle(const std::function<void()> &handler)
{
    if (!m_desk || m_restarting || m_desk->restoring())
        return; // not yet created, being taken down, or starting work afresh
    m_guard.run(handler);
    m_image3->refresh(m_desk->board().canvas().takeChangedArea());
}

// ---- Controls ----------------------------------------------------------------------------------

LabeledEdit *TForm1::field(const char *name) const
{
    return findChild<LabeledEdit *>(QString::fromLatin1(name));
}

SpinEdit *TForm1::spin(const char *name) const
{
    return findChild<SpinEdit *>(QString::fromLatin1(name));
}

void TForm1::writeField(const char *name, const std::string &text)
{
    LabeledEdit *edit = field(name);
    const QString value = QString::fromStdString(text);
    m_guard.write([edit, &value] { edit->setText(value); });
}

void TForm1::writeReserveFields()
{
    const int number = selectedSlot();
    if (!TargetSlots::Contains(number))
        return;
    const ReserveFieldTexts texts = ReserveFields(m_desk->state().Slots[number],
        m_desk->state().FixLogs[static_cast<std::size_t>(number - 1)]);
    field("LabeledEdit10")->setText(texts.deltaBearing);
    field("LabeledEdit13")->setText(texts.deltaDistance);
    field("LabeledEdit12")->setText(texts.bearingRate);
}

int TForm1::selectedSlot() const
{
    return m_fields->spinValue(Control::SpinEdit2);
}

void TForm1::RestartWork(std::int32_t ownCourse, std::int32_t ownSpeed)
{
    setHeldStepperFast(false);
    m_heldStepper.reset();
    m_holdTicks = 0;
    m_desk->state() = FireControlState {};
    m_desk->cycle().useShipClockMarks(m_speedButton2->isChecked()); // the operator's choice stays
    m_desk->board().Restart();
    // As at the start: no entry runs while the fields take their start texts back. The fields
    // still notice their own changes (a spin field keeps track of the text it shows).
    {
        QScopedValueRollback<bool> quiet(m_restarting, true);
        for (const FieldEntry &entry : Fields) {
            QWidget *control = findChild<QWidget *>(QString::fromLatin1(entry.name));
            if (auto *spinEdit = qobject_cast<SpinEdit *>(control)) {
                spinEdit->setValue(Text(entry.text).toInt());
            } else if (entry.kind != Kind::Disabled) {
                auto *edit = static_cast<LabeledEdit *>(control);
                edit->setText(Text(entry.text));
                edit->setBackground(Qt::white);
            }
        }
        auto *banner = findChild<QLabel *>(QStringLiteral("Label13"));
        banner->hide();
        QPalette red = banner->palette();
        red.setColor(QPalette::Window, Qt::red);
        banner->setPalette(red);
        findChild<QLabel *>(QStringLiteral("Label12"))->setText(QStringLiteral("0. 0 - 0"));
        m_fields->takeFromWidgets();
    }
    if (m_timer1->isActive())
        m_timer1->start(); // the first second of the new clock is a whole one
    m_desk->replacePlot();

    // Slot 1 is selected and its field shows target number 1: so it is.
    handle([&] {
        LabeledEdit4Change();
        writeField("LabeledEdit5", std::to_string(ownCourse));
        writeField("LabeledEdit6", std::to_string(ownSpeed));
    });
    m_image3->refresh(m_image3->rect());
}

// ---- Slot selection and target number ------------------------------------------------------

void TForm1::SpinEdit2Change()
{
    // The operator's choice is the desk's command (wireJournal); a change by the program shows
    // the slot at once.
    if (!m_spinEdit2->operatorEditing())
        ShowSlot(*m_desk, selectedSlot());
}

void TForm1::LabeledEdit4Change()
{
    const int number = selectedSlot();
    if (!TargetSlots::Contains(number))
        return;
    const auto value = ParseWhole32(field("LabeledEdit4")->text().toStdString());
    if (!value)
        throw NumericFault(FaultKind::BadNumberText, "Номер цели");
    m_desk->state().Slots[number].TargetNumber = *value;
}

// ---- Held stepping -----------------------------------------------------------------------------

void TForm1::pressHeldStepper(std::size_t index)
{
    m_heldStepper = index;
    StartHold();
}

void TForm1::StartHold()
{
    if (!m_timer2->isActive())
        m_timer2->start(); // a running timer keeps its rhythm
    m_holdTicks = 0;
}

void TForm1::EndHold()
{
    m_timer2->stop();
    setHeldStepperFast(false);
    m_heldStepper.reset();
}

void TForm1::Timer2Timer()
{
    // Between presses the count matters to nothing: a press starts it afresh.
    if (m_heldStepper)
        m_desk->journal().holdTick();
    ++m_holdTicks;
    if (m_holdTicks >= 2)
        setHeldStepperFast(true);
}

void TForm1::setHeldStepperFast(bool fast)
{
    if (!m_heldStepper)
        return;
    UpDown *upDown = m_heldSteppers[*m_heldStepper];
    upDown->setIncrement(fast ? 5 : 1);
    const QColor colour = fast ? QColor(255, 255, 0) : QColor(Qt::white);
    if (const auto control = WindowFields::controlNamed(upDown->associate()->objectName()))
        m_fields->setBackground(*control, colour.rgb());
    else
        upDown->associate()->setBackground(colour);
}

// ---- Buttons, board and menu -------------------------------------------------------------------

void TForm1::SpeedButton1Click()
{
    if (m_speedButton1->isChecked())
        m_speedButton2->setChecked(false);
    m_desk->cycle().useShipClockMarks(false);
}

void TForm1::SpeedButton2Click()
{
    if (m_speedButton2->isChecked())
        m_speedButton1->setChecked(false);
    m_desk->cycle().useShipClockMarks(true);
}

void TForm1::Button1Click()
{
    perform(new GridRefresh(*m_desk));
}

void TForm1::Button2Click()
{
    const int number = selectedSlot();
    if (!TargetSlots::Contains(number) || !m_desk->state().Slots[number].IsTarget) {
        perform(new NothingChanged(*m_desk, QStringLiteral("click Button2")));
        return;
    }
    perform(new PutLabel(
        *m_desk, field("LabeledEdit4")->text(), PlottedPosition(m_desk->state().Slots[number])));
}

// The board changes only under the eraser, and a move only with the left button held.
void TForm1::Image3MouseDown(int x, int y, Qt::MouseButtons buttons)
{
    if (!m_sbErase->isChecked())
        return;
    const bool right = !buttons.testFlag(Qt::LeftButton) && buttons.testFlag(Qt::RightButton);
    perform(new EraserStroke(*m_desk, EraserStroke::Part::Press, x, y, right));
}

void TForm1::Image3MouseMove(int x, int y, Qt::MouseButtons buttons)
{
    if (m_sbErase->isChecked() && buttons.testFlag(Qt::LeftButton))
        perform(new EraserStroke(*m_desk, EraserStroke::Part::Move, x, y));
}

void TForm1::Image3MouseUp(int x, int y)
{
    if (m_sbErase->isChecked())
        perform(new EraserStroke(*m_desk, EraserStroke::Part::Release, x, y));
}

QString TForm1::chooseFile(FileRequest request)
{
    request.folder = DeskSettings::lastFolder();
    const QString path = askFileName(request);
    if (!path.isEmpty())
        DeskSettings::keepFolderOf(path);
    return path;
}

void TForm1::MOpenClick()
{
    const QString path = chooseFile({FileRequest::Kind::Open, OpenFilter, {}, {}, {}});
    if (path.isEmpty())
        return;
    std::variant<QImage, QString> read = Board::ReadPicture(path);
    if (const QString *refusal = std::get_if<QString>(&read)) {
        perform(new NothingChanged(*m_desk, QStringLiteral("menu MOpen ") + path));
        showMessage(*refusal);
        return;
    }
    perform(new OpenPicture(*m_desk, path, std::get<QImage>(read)));
}

void TForm1::MSaveClick()
{
    saveBoard();
}

bool TForm1::saveBoard()
{
    const QString path = chooseFile({FileRequest::Kind::Save, SaveFilter, QStringLiteral("Picture"),
        QStringLiteral("bmp"), {}});
    if (path.isEmpty())
        return false;
    // The board adds the extension a name lacks.
    if (const auto failure = perform(new SavePicture(*m_desk, path))) {
        showMessage(*failure);
        return false;
    }
    return true;
}

void TForm1::MExitClick()
{
    close();
}

void TForm1::closeEvent(QCloseEvent *event)
{
    // The whole session, board included, is what the operator may lose.
    if (!offerToSave()) {
        event->ignore();
        return;
    }
    if (!isMaximized() && !isFullScreen())
        DeskSettings::keepWindowFrame({geometry(), m_sizedByOperator || size() != m_placedSize});
    QMainWindow::closeEvent(event);
}

void TForm1::UndoClick()
{
    m_desk->journal().action(QStringLiteral("menu N2"));
    m_desk->board().UndoClick();
}

void TForm1::N4Click()
{
    if (m_helpWindow)
        m_helpWindow->showHelp();
}

void TForm1::MBearingsClick()
{
    if (!m_analysisWindow)
        return;
    m_analysisWindow->show();
    m_analysisWindow->raise();
    m_analysisWindow->activateWindow();
}

std::optional<QString> TForm1::perform(DeskCommand *command)
{
    std::unique_ptr<DeskCommand> owned(command);
    std::optional<QString> failure;
    handle([&] { failure = m_desk->execute(owned.release()); });
    return failure;
}

void TForm1::UndoActionClick()
{
    handle([this] { m_desk->undo(); });
}

void TForm1::RedoActionClick()
{
    handle([this] { m_desk->redo(); });
}

void TForm1::FixBearingClick()
{
    perform(new FixNow(*m_desk, Control::LabeledEdit7));
}

void TForm1::FixDistanceClick()
{
    perform(new FixNow(*m_desk, Control::LabeledEdit8));
}

void TForm1::ActionLogClick()
{
    if (!m_actionLog) {
        m_actionLog = new QPlainTextEdit(this);
        m_actionLog->setWindowFlag(Qt::Window);
        m_actionLog->setObjectName("ActionLog");
        m_actionLog->setWindowTitle(QStringLiteral("Журнал действий"));
        m_actionLog->setReadOnly(true);
        m_actionLog->resize(420, 360);
        const auto follow = [this] {
            if (m_actionLog->isVisible())
                showActionLog();
        };
        connect(m_desk.get(), &Desk::changed, m_actionLog, follow);
        connect(m_desk.get(), &Desk::pictureChanged, m_actionLog, follow);
        connect(this, &TForm1::ticked, m_actionLog, follow);
    }
    showActionLog();
    m_actionLog->show();
    m_actionLog->raise();
}

void TForm1::showActionLog()
{
    const QString text = OperatorRecord(m_desk->journal().annotatedText()).join(QLatin1Char('\n'));
    if (m_actionLog->toPlainText() != text) {
        m_actionLog->setPlainText(text);
        m_actionLog->moveCursor(QTextCursor::End);
    }
}

void TForm1::updateUndoItems()
{
    const QString undo = m_desk->undoText(), redo = m_desk->redoText();
    m_undoAction->setEnabled(!undo.isEmpty());
    m_undoAction->setText(
        undo.isEmpty() ? QStringLiteral("Отменить действие") : QStringLiteral("Отменить: ") + undo);
    m_redoAction->setEnabled(!redo.isEmpty());
    m_redoAction->setText(redo.isEmpty() ? QStringLiteral("Повторить действие")
                                         : QStringLiteral("Повторить: ") + redo);
}

// ---- The operator's dialogs --------------------------------------------------------------------

void TForm1::showMessageBox(const QString &message)
{
    QMessageBox box(QMessageBox::Critical, windowTitle(), message, QMessageBox::Ok, this);
    box.exec();
}

UnsavedChanges::Answer TForm1::showQuestion(const QString &question)
{
    QMessageBox box(QMessageBox::Question, windowTitle(), question,
        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, this);
    box.setDefaultButton(QMessageBox::Yes);
    switch (box.exec()) {
    case QMessageBox::Yes:
        return UnsavedChanges::Answer::Save;
    case QMessageBox::No:
        return UnsavedChanges::Answer::Discard;
    default:
        return UnsavedChanges::Answer::Cancel;
    }
}

QString TForm1::showFileDialog(const FileRequest &request)
{
    const bool saving = request.kind == FileRequest::Kind::Save;
    QFileDialog dialog(this, saving ? QStringLiteral("Сохранить как") : QStringLiteral("Открыть"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setDirectory(request.folder);
    dialog.setNameFilters(request.filter.split(QStringLiteral(";;")));
    if (saving) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix(request.defaultSuffix);
        dialog.selectFile(request.defaultName);
        // A name typed without an extension takes that of the format chosen ("(*.png)": png).
        connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString &filter) {
            const qsizetype star = filter.indexOf(QLatin1String("(*."));
            if (star >= 0)
                dialog.setDefaultSuffix(filter.mid(star + 3).section(QLatin1Char(')'), 0, 0));
        });
    } else {
        dialog.setFileMode(QFileDialog::ExistingFile);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

} // namespace varmet
