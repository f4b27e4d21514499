// The utility's one window. It draws the editor model and hands every click, choice and
// edit to the commands; what a command does is decided there, never here.
#pragma once

#include "editor/editor.h"
#include "services/port_list.h"
#include "ui/character_page.h"
#include "ui/message_line_frame.h"

#include <QWidget>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QAbstractButton;
class QComboBox;
class QLabel;
class QPushButton;
class QTabWidget;

namespace pds::ui {

class PortBox;
class PreviewPanel;
class TestPage;

class MainWindow : public QWidget {
    Q_OBJECT

public:
    // Runs the start-up sequence on the services given; the folder the process works in now
    // is where the help document is looked for from then on.
    explicit MainWindow(Services& services, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Puts a port name into Comm as if the operator had typed it.
    void preset_port(const std::string& name);

    const Editor& editor() const { return editor_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void build_band();
    void build_command_page(QWidget* page);
    void connect_band();
    // The "Welcome Msg", "User Defined Character" and "Test Display" pages are built when
    // first shown, which keeps two hundred widgets out of the program's start.
    void build_page(int index);
    void on_click(QAbstractButton* button, std::function<void()> action);

    // Runs an operator's action on the editor, then draws the result.
    void act(const std::function<void()>& action);
    // The same for a transfer, under the busy cursor: the window does not react meanwhile.
    void transfer(void (*command)(Editor&));
    void draw();
    void draw_preview();
    // Comm's entries after "Com 8": the ports the system reports now.
    void list_system_ports();
    void find_port();

    // Every box shows the window as the model stands when the box appears: a command that
    // changes the model and then says so shows the change behind its box.
    class DrawnBoxes : public MessageBoxes {
    public:
        DrawnBoxes(MessageBoxes& inner, MainWindow& window) : inner(inner), window(window) {}
        void show(const std::string& text, const std::string& title = {}) override;
        bool confirm(const std::string& text, const std::string& title) override;

    private:
        MessageBoxes& inner;
        MainWindow& window;
    };

    DrawnBoxes boxes_;
    Services services_;
    Editor editor_;
    const std::string startup_folder_;
    bool drawing_ = false;
    bool closing_ = false;

    PortBox* Comm = nullptr;
    std::vector<SystemPort> listed_ports_; // Comm's entries after "Com 8", in order
    QComboBox* Baud = nullptr;
    QPushButton* FindPort = nullptr;
    QPushButton* GetSetting = nullptr;
    QPushButton* Load = nullptr;
    QPushButton* Save = nullptr;
    QPushButton* Help = nullptr;
    QPushButton* SetAllDefault = nullptr;
    QPushButton* Download = nullptr;
    QTabWidget* SSTab1 = nullptr;
    QWidget* pages_[4] = {};
    QComboBox* Char = nullptr;
    QComboBox* Command = nullptr;
    QComboBox* BaudRate = nullptr;
    QComboBox* Passthru = nullptr;
    std::unique_ptr<MessageLineFrame> line1_;
    std::unique_ptr<MessageLineFrame> line2_;
    PreviewPanel* preview_ = nullptr;
    QLabel* CharNote = nullptr;
    QPushButton* AddMissing = nullptr;
    std::unique_ptr<CharacterPage> characters_;
    std::unique_ptr<TestPage> test_;
};

} // namespace pds::ui
