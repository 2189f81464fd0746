#pragma once

// The folder picture list is viewer state the window owns.
#include "picture/PictureList.h"

#include <QMainWindow>
#include <QTimer>
#include <cstdint>
#include <memory>
#include <string>

class QAction;
class QCheckBox;
class QKeyEvent;
class QLabel;
class QSlider;

namespace velmoa {

class BandBar;
class DecodeAhead;
class Desktop;
class FileChooser;
class ImageControl;
class MediaDevice;
class MediaPlayer;
class MediaPlayerStrip;
class Picture;
class Panel;
class PrintJobs;
class RichTextControl;
class SecondsBox;
class TAboutBox;
class ToolBar;
class ToolButton;

// What the main window reaches of the platform; tests hand it fakes.
struct FormServices {
    FileChooser* openDialog = nullptr;
    Desktop* desktop = nullptr;
    PrintJobs* printing = nullptr;
    MediaDevice* media = nullptr;
    // Prepares pictures ahead of their steps on a worker thread; none: every step decodes when drawn.
    DecodeAhead* decodeAhead = nullptr;
};

// The main window: every control, every item of viewer state, and the handlers.
// Controls and handlers are named as the rest of the code names them (BP1, Timer1Timer, ...), so a
// name reads the same in every file; the view folders implement their handlers on this class.
class TzorvForm1 : public QMainWindow {
    Q_OBJECT
  public:
    // The client size of a new window: the area the first picture is fitted into.
    static constexpr QSize kInitialClientSize{640, 480};

    TzorvForm1(const FormServices& services, TAboutBox* aboutBox = nullptr, QWidget* parent = nullptr);
    ~TzorvForm1() override;

    void setAboutBox(TAboutBox* aboutBox) { AboutBox = aboutBox; }
    // The files named on the command line, opened when the window is first shown.
    void setCommandLineFiles(std::vector<std::string> files) { commandLineFiles_ = std::move(files); }

    // --- Viewer state, in declaration order.
    bool JustOpened = false;
    bool PictureMode = false;
    std::int32_t CurrentIndex = 0;
    std::int32_t MovieWidth = 0;
    std::int32_t MovieHeight = 0;
    std::int32_t MovieLeft = 0;
    std::int32_t MovieTop = 0;
    std::string FolderPath;
    std::string FilePath;
    bool Windowed = false;
    bool FullScreenOn = false;

    // --- Controls (each control's objectName is its name).
    Panel* client = nullptr;
    Panel* BackPanel = nullptr;
    ImageControl* Image3 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    Panel* DisplayPanel = nullptr;
    BandBar* CoolBar1 = nullptr;
    Panel* Panel2 = nullptr;
    MediaPlayer* MediaPlayer1 = nullptr;
    QSlider* TrackBar1 = nullptr;
    Panel* Panel3 = nullptr;
    ToolBar* ToolBar2 = nullptr;
    QCheckBox* Wide = nullptr;
    Panel* MojiPanel = nullptr;
    BandBar* CoolBar2 = nullptr;
    Panel* Panel4 = nullptr;
    Panel* Panel5 = nullptr;
    ToolBar* ToolBar3 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* SizePanel = nullptr;
    RichTextControl* RichEdit1 = nullptr;
    Panel* BP1 = nullptr;
    Panel* P1 = nullptr;
    ImageControl* Image2 = nullptr;
    ImageControl* Image1 = nullptr;
    PictureList fn;
    BandBar* ButtonPanel1 = nullptr;
    Panel* Panel1 = nullptr;
    ToolBar* ToolBar1 = nullptr;
    QLabel* Label1 = nullptr;
    SecondsBox* SpinEdit1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* CounterPanel = nullptr;
    QCheckBox* CheckBox2 = nullptr;
    ToolButton* FullScreenButton = nullptr;
    ToolButton* FSBT = nullptr;

    QAction* ActOpen = nullptr;
    QAction* ActClose = nullptr;
    QAction* ActStart = nullptr;
    QAction* ActStop = nullptr;
    QAction* ActBack = nullptr;
    QAction* ActNext = nullptr;
    QAction* ActFullScreen = nullptr;
    QAction* ActAbout = nullptr;
    QAction* ActMovS = nullptr;
    QAction* ActPrint = nullptr;
    QAction* ActCharPrint = nullptr;

    QTimer Timer1;
    QTimer Timer3;

    // --- Handlers and shared operations.
    void FormCreate();
    void FormShow();
    void FormResize();
    void FormDestroy();
    void EndButtonClick();
    void ActAboutExecute();

    void OpenButtonClick();
    void WMDropFiles(const std::string& firstDroppedPath);
    void ShowFileByKind(const std::string& path);
    void ShowNonPictureFile();
    void ShowFileSize(const std::string& path);
    void FullScreenButtonClick();

    void BuildPictureList(const std::string& path);
    void ShowCurrentPicture();
    void FitPicture();
    void StartButtonClick();
    void Timer1Timer();
    void ActStopExecute();
    void NextButtonClick();
    void BackButtonClick();
    void Image2MouseDown(Qt::MouseButton button);
    void BP1MouseDown(Qt::MouseButton button);
    void UpdateCursorForButtonBar();
    void UpdateCursorForMediaBar();
    void DisplayPanelMouseDown(Qt::MouseButton button);
    void BackPanelMouseDown(Qt::MouseButton button);

    void ShowDocument(const std::string& upperExtension);
    void ShowMedia(const std::string& upperExtension);
    void ActMovSExecute();
    void Timer3Timer();
    void TrackBar1Change();
    void MediaPlayer1Click();
    void ActPrintExecute();
    void ActCharPrintExecute();

    // Text colour of the counter (aqua while no slideshow runs, red while one runs).
    QColor counterColour() const;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    void createControls();
    void createPictureView();
    void createMediaView();
    void createDocumentView();
    void createActions();
    bool isWindowShortcut(const QKeyEvent& key) const;
    QAction* makeAction(const QString& name, const QString& hint, const QKeySequence& shortcut, int image,
                        void (TzorvForm1::*handler)());
    void openSequence(bool resetCounterColour);
    void setCounterColour(const QColor& colour);
    void setCaption(const std::string& captionBytes);
    // The sound layout's labels, placed by the window's outer size.
    void placeSoundLabels();
    // Places them again when they were placed before the window had its frame, and it has one now.
    void placeSoundLabelsOnceFramed();
    void setClientSize(int width, int height);
    // Stops a slideshow, moves the current index by delta and shows that picture.
    void stepInto(int delta);
    // Loads the picture a step shows, with its prepared decode when there is one.
    Picture loadStepPicture(const std::string& path);
    // Prepares the shown picture's neighbours at the current fitted size.
    void prepareNeighbours();

    FormServices services_;
    TAboutBox* AboutBox = nullptr;
    std::vector<std::string> commandLineFiles_;
    bool shownOnce_ = false;
    bool soundLabelsAwaitFrame_ = false;
    int travel_ = 1; // direction of the last step: +1 forwards, -1 back
    // Where the window was before full screen, so that it comes back there.
    QRect clientBeforeFullScreen_;
    QRect frameBeforeFullScreen_;
};

} // namespace velmoa
