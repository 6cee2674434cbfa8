// The start window: the full-screen main menu, its command dispatcher and the background music.
#pragma once

#include "ui/MenuWidget.h"

#include <QHash>
#include <QString>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

class MidiPlayer;
class QDialog;
class QUrl;

class StartWindow : public QWidget
{
    Q_OBJECT

public:
    explicit StartWindow(QWidget *parent = nullptr);
    ~StartWindow() override;

    // Set when the screen is not at 96 dpi: the program is to end without showing the window.
    bool terminationRequested() const { return m_terminate; }

    // The menu's command event: opens the window a command word names. Words are compared
    // exactly; an unknown word does nothing.
    void runMenuCommand(const QString &command, const QString &args);
    // Switches the background music on (playing fileName once) or off.
    void playBackgroundMusic(const QString &fileName, bool on);
    // Runs the mock exam of a paper kind (1..5).
    void startMockExam(int paperKind);
    // A second start of the program asked this one to come forward.
    void activateFromOutside();
    // The menu description start-up has already read: shown without reading pic/main.json again.
    void setMenuDescription(const MenuDescription &description) { m_menuDescription = description; }

    // Every command word the dispatcher knows.
    QStringList commandWords() const { return m_commands.keys(); }

    MenuWidget *menu() const { return m_menu; }
    MidiPlayer *player() const { return m_musicPlayer; }

    // Test seams: how pages are opened, and how a modal window is run (default: exec()).
    using UrlOpener = std::function<bool(const QUrl &)>;
    void setUrlOpener(UrlOpener opener) { m_openUrl = std::move(opener); }
    using ModalRunner = std::function<int(QDialog &)>;
    void setModalRunner(ModalRunner runner) { m_runModal = std::move(runner); }

signals:
    // The menu was painted for the first time.
    void menuShown();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    enum class Hourglass
    {
        None,          // default cursor throughout
        WhileCreating, // hourglass while the window is created, default cursor when it shows
        WhileLoading,  // hourglass until the window is up and waiting for the user
    };
    using WindowFactory = std::function<std::unique_ptr<QDialog>(QWidget *parent)>;

    // A screen not at 96 dpi ends the program; otherwise the display mode and the window's size
    // follow the screen.
    void chooseDisplayMode();
    // On the first show: the window covers the screen, the answer times are read and the menu
    // plays.
    void loadMenu();
    void buildCommandTable();
    // A table entry that opens a window modally; without a factory the feature is announced as
    // not yet available.
    std::function<void()> windowCommand(const QString &feature, Hourglass hourglass,
                                        WindowFactory factory);
    void openModal(const WindowFactory &factory, Hourglass hourglass);
    void openPage(const QString &relativePath);
    // "quit": the daily-target check, then the window closes when the candidate agrees.
    void dailyTargetCheck();
    // The daily-target check's messages; true when the program may end.
    bool confirmQuit();

    MenuWidget *m_menu = nullptr;
    MidiPlayer *m_musicPlayer = nullptr;
    QHash<QString, std::function<void()>> m_commands;
    UrlOpener m_openUrl;
    ModalRunner m_runModal;
    bool m_terminate = false;
    bool m_shown = false;
    bool m_quitConfirmed = false;
    std::optional<MenuDescription> m_menuDescription;
};

// The start window of the running program.
extern StartWindow *startWindow;
