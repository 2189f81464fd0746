#include "app/TzorvForm1.h"

#include "app/ApplicationCursor.h"
#include "app/Captions.h"
#include "app/Colours.h"
#include "app/Fonts.h"
#include "app/TAboutBox.h"
#include "controls/Alignment.h"
#include "controls/ImageControl.h"
#include "controls/Panel.h"
#include "controls/RichTextControl.h"
#include "controls/SecondsBox.h"
#include "controls/ToolBar.h"
#include "controls/ToolImages.h"
#include "formats/image/JpegPictureData.h"
#include "formats/text/TextEncoding.h"
#include "media/MediaDevice.h"
#include "media/MediaPlayer.h"
#include "platform/FailureReporter.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QSlider>
#include <algorithm>

// The built-in pictures live in the core library, whose resources must be registered by hand.
static void registerBuiltInResources() {
    Q_INIT_RESOURCE(resources);
}

namespace velmoa {
namespace {

Picture builtInPicture(const QString& resource) {
    QFile file(resource);
    file.open(QIODevice::ReadOnly);
    return jpegPictureFromBytes(file.readAll().toStdString());
}

QLabel* makeLabel(QWidget* parent, const QString& name, const QString& text, QSize size) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->resize(size);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    return label;
}

// The substitute fonts run wider than the fonts these fixed widths were made for: a caption that would be cut
// at its fixed width is drawn slightly condensed instead.
void condenseToFit(QLabel* label) {
    const int advance = label->fontMetrics().horizontalAdvance(label->text());
    if (advance > label->width() && advance > 0) {
        QFont font = label->font();
        font.setLetterSpacing(QFont::PercentageSpacing, 100.0 * (label->width() - 1) / advance);
        label->setFont(font);
    }
}

void setTextColour(QWidget* widget, const QColor& colour) {
    QPalette pal = widget->palette();
    pal.setColor(QPalette::WindowText, colour);
    pal.setColor(QPalette::Text, colour);
    widget->setPalette(pal);
}

// A bordered indicator: black, bold 16-pixel text of the given colour. A label, so that
// assistive technology reads its text.
QLabel* makeIndicator(QWidget* parent, const QString& name, QSize size, const QColor& colour) {
    auto* label = makeLabel(parent, name, QString(), size);
    label->setAlignment(Qt::AlignCenter);
    label->setFrameStyle(QFrame::Box | QFrame::Plain);
    label->setAutoFillBackground(true);
    QPalette pal = label->palette();
    pal.setColor(QPalette::Window, clBlack);
    label->setPalette(pal);
    setTextColour(label, colour);
    label->setFont(pixelFont(kGothic, 16, true));
    return label;
}

// A screen reader reads an indicator's value as its name (a label's text is its name unless one
// is set), with the word beside it as its label and description.
void describeIndicator(QLabel* indicator, QLabel* word) {
    word->setBuddy(indicator);
    indicator->setAccessibleDescription(word->text());
}

} // namespace

TzorvForm1::TzorvForm1(const FormServices& services, TAboutBox* aboutBox, QWidget* parent)
    : QMainWindow(parent), services_(services), AboutBox(aboutBox) {
    registerBuiltInResources();
    setObjectName(QStringLiteral("zorvForm1"));
    setWindowTitle(QStringLiteral("Velmoa"));
    setWindowIcon(applicationIcon());
    setFont(pixelFont(kGothic, 12));
    createActions();
    createControls();
    Timer1.setObjectName(QStringLiteral("Timer1"));
    Timer1.setInterval(1000);
    Timer3.setObjectName(QStringLiteral("Timer3"));
    Timer3.setInterval(50);
    connect(&Timer1, &QTimer::timeout, this, [this] { runReported([this] { Timer1Timer(); }); });
    connect(&Timer3, &QTimer::timeout, this, [this] { runReported([this] { Timer3Timer(); }); });
    // Keys and drops belong to the window: its shortcuts work whatever control has the focus, and a
    // file dropped anywhere opens it (a text control would take Ctrl+X as Cut and insert a dropped
    // file's address).
    for (QWidget* control : findChildren<QWidget*>()) {
        control->setAcceptDrops(false);
        control->installEventFilter(this);
    }
    setAcceptDrops(true);
    setClientSize(kInitialClientSize.width(), kInitialClientSize.height());
    runReported([this] { FormCreate(); });
}

TzorvForm1::~TzorvForm1() {
    FormDestroy();
}

QAction* TzorvForm1::makeAction(const QString& name, const QString& hint, const QKeySequence& shortcut,
                                int image, void (TzorvForm1::*handler)()) {
    auto* action = new QAction(name, this);
    action->setObjectName(name);
    action->setToolTip(hint);
    action->setStatusTip(hint);
    action->setShortcut(shortcut);
    // Added to the window itself, so shortcuts work from any control and with any tool bar hidden.
    action->setShortcutContext(Qt::WindowShortcut);
    if (image >= 0) {
        action->setIcon(toolIcon(image));
    }
    addAction(action);
    connect(action, &QAction::triggered, this,
            [this, handler] { runReported([this, handler] { (this->*handler)(); }); });
    return action;
}

void TzorvForm1::createActions() {
    ActOpen = makeAction(QStringLiteral("ActOpen"), QStringLiteral("開く"),
                         QKeySequence(QStringLiteral("Ctrl+O")), ImageOpen, &TzorvForm1::OpenButtonClick);
    ActClose = makeAction(QStringLiteral("ActClose"), QStringLiteral("終了"),
                          QKeySequence(QStringLiteral("Ctrl+X")), ImageClose, &TzorvForm1::EndButtonClick);
    ActStart = makeAction(QStringLiteral("ActStart"), QStringLiteral("スタート"),
                          QKeySequence(QStringLiteral("Ctrl+S")), ImageStart, &TzorvForm1::StartButtonClick);
    ActStop = makeAction(QStringLiteral("ActStop"), QStringLiteral("ストップ"),
                         QKeySequence(QStringLiteral("Ctrl+P")), ImageStop, &TzorvForm1::ActStopExecute);
    ActBack = makeAction(QStringLiteral("ActBack"), QStringLiteral("戻る"),
                         QKeySequence(QStringLiteral("Ctrl+B")), ImageBack, &TzorvForm1::BackButtonClick);
    ActNext = makeAction(QStringLiteral("ActNext"), QStringLiteral("次へ"),
                         QKeySequence(QStringLiteral("Ctrl+N")), ImageNext, &TzorvForm1::NextButtonClick);
    ActFullScreen =
        makeAction(QStringLiteral("ActFullScreen"), QStringLiteral("拡大・縮小"),
                   QKeySequence(QStringLiteral("Ctrl+F")), ImageEnlarge, &TzorvForm1::FullScreenButtonClick);
    ActAbout = makeAction(QStringLiteral("ActAbout"), QStringLiteral("バージョン情報"),
                          QKeySequence(QStringLiteral("Ctrl+H")), ImageAbout, &TzorvForm1::ActAboutExecute);
    ActMovS =
        makeAction(QStringLiteral("ActMovS"), QString(), QKeySequence(), -1, &TzorvForm1::ActMovSExecute);
    ActPrint = makeAction(QStringLiteral("ActPrint"), QStringLiteral("印刷"), QKeySequence(), ImagePrint,
                          &TzorvForm1::ActPrintExecute);
    ActCharPrint = makeAction(QStringLiteral("ActCharPrint"), QStringLiteral("印刷"), QKeySequence(),
                              ImagePrint, &TzorvForm1::ActCharPrintExecute);
}

void TzorvForm1::createControls() {
    // The video area and the media bar may become windows of their own (see createMediaView); the
    // controls beside them stay drawn in the main window, beneath them.
    QCoreApplication::setAttribute(Qt::AA_DontCreateNativeWidgetSiblings);
    client = new Panel(this, QStringLiteral("client"));
    setCentralWidget(client);
    // Creation order is stacking order: the later view lies above the earlier ones.
    createMediaView();
    createDocumentView();
    createPictureView();
}

void TzorvForm1::createMediaView() {
    BackPanel = new Panel(client, QStringLiteral("BackPanel"), clBlack);
    BackPanel->setFontColour(clLime);
    BackPanel->hide();
    connect(BackPanel, &Panel::mousePressed, this,
            [this](Qt::MouseButton b) { runReported([this, b] { BackPanelMouseDown(b); }); });

    Image3 = new ImageControl(BackPanel, QStringLiteral("Image3"));
    Image3->setPicture(builtInPicture(QStringLiteral(":/pictures/sound-backdrop.jpg")));

    Label3 = new QLabel(QStringLiteral("音の再生"), BackPanel);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label3->setFont(pixelFont(kMincho, 27, true, true));
    setTextColour(Label3, clLime);

    Label4 = new QLabel(QStringLiteral("Velmoa"), BackPanel);
    Label4->setObjectName(QStringLiteral("Label4"));
    Label4->setFont(pixelFont(kBrush, 40, true));
    setTextColour(Label4, clRed);
    // Sized when the sound view first shows them: measuring loads their fonts (megabytes of
    // Mincho and brush glyphs) that a picture or document never needs.

    DisplayPanel = new Panel(BackPanel, QStringLiteral("DisplayPanel"), clBlack);
    DisplayPanel->hide();
    connect(DisplayPanel, &Panel::mousePressed, this,
            [this](Qt::MouseButton b) { runReported([this, b] { DisplayPanelMouseDown(b); }); });

    CoolBar1 = new BandBar(BackPanel, QStringLiteral("CoolBar1"), 36);
    CoolBar1->hide();
    Panel2 = new Panel(CoolBar1, QStringLiteral("Panel2"));
    Panel2->setBevel(Panel::Bevel::Raised);
    Panel2->setGeometry(0, 2, 612, 32);
    Panel2->hide();

    if (services_.media) {
        services_.media->setDisplay(DisplayPanel);
    }
    if (DisplayPanel->testAttribute(Qt::WA_NativeWindow)) {
        // A video area that is a window of its own would lie over a bar drawn in the window's
        // backing store: the bar becomes a window too, kept above it.
        CoolBar1->setAttribute(Qt::WA_DontCreateNativeAncestors);
        CoolBar1->setAttribute(Qt::WA_NativeWindow);
    }
    MediaPlayer1 = new MediaPlayer(Panel2, QStringLiteral("MediaPlayer1"), services_.media);
    MediaPlayer1->move(120, 3);
    connect(MediaPlayer1, &MediaPlayer::Click, this, [this] { MediaPlayer1Click(); });

    TrackBar1 = new QSlider(Qt::Horizontal, Panel2);
    TrackBar1->setObjectName(QStringLiteral("TrackBar1"));
    TrackBar1->setGeometry(264, 5, 336, 20);
    TrackBar1->setRange(0, 0);
    connect(TrackBar1, &QSlider::valueChanged, this, [this] { runReported([this] { TrackBar1Change(); }); });

    Panel3 = new Panel(Panel2, QStringLiteral("Panel3"));
    Panel3->setBevel(Panel::Bevel::Raised);
    Panel3->setGeometry(0, 0, 100, 30);
    ToolBar2 = new ToolBar(Panel3, QStringLiteral("ToolBar2"), QSize(26, 24));
    ToolBar2->resize(98, 29);
    setAlign(ToolBar2, Align::Top);
    ToolBar2->addButton(QStringLiteral("ToolButton2"), ActOpen);
    ToolBar2->addButton(QStringLiteral("ToolButton3"), ActClose);
    ToolBar2->addSeparator(QStringLiteral("ToolButton22"), 8);
    FSBT = ToolBar2->addButton(QStringLiteral("FSBT"), ActFullScreen);

    Wide = new QCheckBox(QStringLiteral("ワイド"), Panel2);
    Wide->setObjectName(QStringLiteral("Wide"));
    Wide->setGeometry(209, 7, 50, 17);
    Wide->setFont(pixelFont(kGothic, 12));
    setTextColour(Wide, clBlack);
    connect(Wide, &QCheckBox::clicked, this, [this] { runReported([this] { ActMovSExecute(); }); });
}

void TzorvForm1::createDocumentView() {
    MojiPanel = new Panel(client, QStringLiteral("MojiPanel"), clBlack);
    MojiPanel->setBevel(Panel::Bevel::Raised);
    MojiPanel->setContextMenuPolicy(Qt::NoContextMenu);
    MojiPanel->hide();

    CoolBar2 = new BandBar(MojiPanel, QStringLiteral("CoolBar2"), 32);
    Panel4 = new Panel(CoolBar2, QStringLiteral("Panel4"));
    Panel4->setGeometry(0, 2, 598, 28);
    Panel5 = new Panel(Panel4, QStringLiteral("Panel5"));
    Panel5->setGeometry(0, 0, 350, 26);
    ToolBar3 = new ToolBar(Panel5, QStringLiteral("ToolBar3"), QSize(23, 22));
    ToolBar3->resize(350, 26);
    setAlign(ToolBar3, Align::Top);
    ToolBar3->addButton(QStringLiteral("ToolButton4"), ActOpen);
    ToolBar3->addButton(QStringLiteral("ToolButton5"), ActClose);
    ToolBar3->addSeparator(QStringLiteral("ToolButton6"), 8);
    ToolBar3->addSeparator(QStringLiteral("ToolButton16"), 8);
    Label5 = makeLabel(ToolBar3, QStringLiteral("Label5"), QStringLiteral("サイズ"), QSize(34, 22));
    condenseToFit(Label5);
    ToolBar3->addControl(Label5);
    ToolBar3->addSeparator(QStringLiteral("ToolButton17"), 8);
    SizePanel = makeIndicator(ToolBar3, QStringLiteral("SizePanel"), QSize(100, 22), clLime);
    describeIndicator(SizePanel, Label5);
    ToolBar3->addControl(SizePanel);
    ToolBar3->addSeparator(QStringLiteral("ToolButton18"), 8);
    ToolBar3->addButton(QStringLiteral("ToolButton19"), ActAbout);
    ToolBar3->addSeparator(QStringLiteral("ToolButton20"), 8);
    ToolBar3->addButton(QStringLiteral("ToolButton21"), ActCharPrint);

    RichEdit1 = new RichTextControl(MojiPanel);
    RichEdit1->setObjectName(QStringLiteral("RichEdit1"));
    RichEdit1->setContextMenuPolicy(Qt::NoContextMenu);
}

void TzorvForm1::createPictureView() {
    BP1 = new Panel(client, QStringLiteral("BP1"), clBlack);
    BP1->hide();
    connect(BP1, &Panel::mousePressed, this,
            [this](Qt::MouseButton b) { runReported([this, b] { BP1MouseDown(b); }); });

    P1 = new Panel(BP1, QStringLiteral("P1"), clWhite);
    P1->hide();
    connect(P1, &Panel::mousePressed, this,
            [this](Qt::MouseButton b) { runReported([this, b] { BP1MouseDown(b); }); });

    const Picture welcome = builtInPicture(QStringLiteral(":/pictures/welcome.jpg"));
    Image2 = new ImageControl(P1, QStringLiteral("Image2"));
    Image2->setPicture(welcome);
    Image2->setStretch(true);
    connect(Image2, &ImageControl::mousePressed, this,
            [this](Qt::MouseButton b) { runReported([this, b] { Image2MouseDown(b); }); });
    Image1 = new ImageControl(P1, QStringLiteral("Image1"));
    Image1->hide();
    Image1->setAutoSize(true);
    Image1->setPicture(welcome);

    ButtonPanel1 = new BandBar(BP1, QStringLiteral("ButtonPanel1"), 32);
    Panel1 = new Panel(ButtonPanel1, QStringLiteral("Panel1"));
    Panel1->setGeometry(0, 1, 631, 30);
    ToolBar1 = new ToolBar(Panel1, QStringLiteral("ToolBar1"), QSize(23, 26));
    ToolBar1->setGeometry(1, 1, 613, 28);
    ToolBar1->addButton(QStringLiteral("OpenButton"), ActOpen);
    ToolBar1->addButton(QStringLiteral("EndButton"), ActClose);
    ToolBar1->addSeparator(QStringLiteral("ToolButton9"), 8);
    FullScreenButton = ToolBar1->addButton(QStringLiteral("FullScreenButton"), ActFullScreen);
    ToolBar1->addSeparator(QStringLiteral("ToolButton8"), 8);
    ToolBar1->addButton(QStringLiteral("StartButton"), ActStart);
    ToolBar1->addButton(QStringLiteral("StopButton"), ActStop);
    ToolBar1->addButton(QStringLiteral("BackButton"), ActBack);
    ToolBar1->addButton(QStringLiteral("NextButton"), ActNext);
    ToolBar1->addSeparator(QStringLiteral("ToolButton10"), 8);
    Label1 = makeLabel(ToolBar1, QStringLiteral("Label1"), QStringLiteral("タイマ-"), QSize(39, 26));
    Label1->setFont(pixelFont(kGothic, 13));
    condenseToFit(Label1);
    ToolBar1->addControl(Label1);
    ToolBar1->addSeparator(QStringLiteral("ToolButton11"), 7);
    SpinEdit1 = new SecondsBox(ToolBar1, QStringLiteral("SpinEdit1"));
    SpinEdit1->resize(50, 26);
    SpinEdit1->setToolTip(QStringLiteral("表示時間（秒）"));
    SpinEdit1->setAccessibleName(SpinEdit1->toolTip());
    SpinEdit1->setCursor(Qt::ArrowCursor);
    SpinEdit1->setFocusPolicy(Qt::ClickFocus);
    SpinEdit1->setFont(pixelFont(kGothic, 16, true));
    {
        QPalette pal = SpinEdit1->palette();
        pal.setColor(QPalette::Base, clBlack);
        pal.setColor(QPalette::Text, clLime);
        SpinEdit1->setPalette(pal);
    }
    ToolBar1->addControl(SpinEdit1);
    ToolBar1->addSeparator(QStringLiteral("ToolButton12"), 8);
    Label2 = makeLabel(ToolBar1, QStringLiteral("Label2"), QStringLiteral("カウンタ"), QSize(40, 26));
    condenseToFit(Label2);
    ToolBar1->addControl(Label2);
    ToolBar1->addSeparator(QStringLiteral("ToolButton13"), 8);
    CounterPanel = makeIndicator(ToolBar1, QStringLiteral("CounterPanel"), QSize(89, 26), clAqua);
    CounterPanel->setToolTip(QStringLiteral("画像数表示"));
    describeIndicator(CounterPanel, Label2);
    ToolBar1->addControl(CounterPanel);
    ToolBar1->addSeparator(QStringLiteral("ToolButton1"), 8);
    ToolBar1->addButton(QStringLiteral("HelpButton"), ActAbout);
    ToolBar1->addSeparator(QStringLiteral("ToolButton7"), 8);
    ToolBar1->addButton(QStringLiteral("ToolButton14"), ActPrint);
    ToolBar1->addSeparator(QStringLiteral("ToolButton15"), 8);
    CheckBox2 = new QCheckBox(QStringLiteral("横向き印刷"), ToolBar1);
    CheckBox2->setObjectName(QStringLiteral("CheckBox2"));
    CheckBox2->resize(97, 26);
    ToolBar1->addControl(CheckBox2);
}

void TzorvForm1::FormCreate() {
    CurrentIndex = 0;
    ActStart->setEnabled(false);
    ActStop->setEnabled(false);
    MojiPanel->hide();
    setAlign(MojiPanel, Align::Client);
    ButtonPanel1->show();
    Windowed = true;
    PictureMode = true;
    setAlign(BP1, Align::Client);
    BP1->show();
    P1->show();
    setAlign(P1, Align::Client);
    BackPanel->hide();
    FullScreenButton->setImageIndex(ImageEnlarge);
    setCounterColour(clAqua);
    Image1->setAutoSize(true);
    Image1->hide();
    setAlign(Image2, Align::Client);
    Image2->setAutoSize(true);
    Image2->setStretch(true);
    Image1->repaintNow();
    Image2->repaintNow();
    setApplicationCursorHidden(false);
    // Drops are accepted through Qt's drag and drop (setAcceptDrops in the constructor).
    setCaption(kIdleCaption);
}

void TzorvForm1::EndButtonClick() {
    close();
}

void TzorvForm1::ActAboutExecute() {
    if (AboutBox) {
        AboutBox->showCentred();
    }
}

QColor TzorvForm1::counterColour() const {
    return CounterPanel->palette().color(QPalette::WindowText);
}

void TzorvForm1::setCounterColour(const QColor& colour) {
    setTextColour(CounterPanel, colour);
}

void TzorvForm1::setCaption(const std::string& captionBytes) {
    setWindowTitle(bytesToDisplayText(captionBytes));
}

void TzorvForm1::setClientSize(int width, int height) {
    resize(width, height);
}

void TzorvForm1::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!shownOnce_) {
        shownOnce_ = true;
        // Queued, so that the window is on screen behind any message the opening reports.
        QMetaObject::invokeMethod(
            this, [this] { runReported([this] { FormShow(); }); }, Qt::QueuedConnection);
    }
}

void TzorvForm1::closeEvent(QCloseEvent* event) {
    QMainWindow::closeEvent(event);
    if (event->isAccepted()) {
        // The program ends with its main window, whatever other window of ours is still shown
        // (the About box would otherwise keep it running).
        QCoreApplication::quit();
    }
}

bool TzorvForm1::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride && isWindowShortcut(*static_cast<QKeyEvent*>(event))) {
        // Not overridden: the shortcut runs instead of the control's own use of the keys.
        event->ignore();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

bool TzorvForm1::isWindowShortcut(const QKeyEvent& key) const {
    const QKeySequence pressed(key.keyCombination());
    const QList<QAction*> windowActions = actions();
    return std::any_of(windowActions.begin(), windowActions.end(), [&pressed](const QAction* action) {
        return !action->shortcut().isEmpty() && action->shortcut() == pressed;
    });
}

void TzorvForm1::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    placeSoundLabelsOnceFramed();
    runReported([this] { FormResize(); });
}

void TzorvForm1::moveEvent(QMoveEvent* event) {
    QMainWindow::moveEvent(event);
    // The window manager's frame comes with a move of the window into it.
    placeSoundLabelsOnceFramed();
}

} // namespace velmoa
