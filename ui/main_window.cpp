#include "ui/main_window.h"

#include "commands/defaults.h"
#include "commands/find_display.h"
#include "commands/preview.h"
#include "commands/read_from_display.h"
#include "commands/save_and_load.h"
#include "commands/startup.h"
#include "commands/test_panel.h"
#include "commands/udc_page.h"
#include "commands/welcome_lines.h"
#include "commands/write_to_display.h"
#include "message/message_line.h"
#include "ui/dot_button.h"
#include "ui/find_progress_dialog.h"
#include "ui/port_box.h"
#include "ui/preview_panel.h"
#include "ui/test_page.h"
#include "ui/twips.h"
#include "ui/wrapping_button.h"
#include "window_geometry.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTabWidget>

namespace pds::ui {

namespace {

Twips screen_twips(const QWidget* window) {
    const QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    return Twips(screen ? screen->logicalDotsPerInch() : 96.0);
}

QPushButton* make_button(const char* name, const char* caption, QWidget* parent,
                         const QRect& geometry) {
    auto* button = new QPushButton(QString::fromLatin1(caption), parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(geometry);
    return button;
}

QLabel* make_label(const char* caption, QWidget* parent, const QRect& geometry) {
    auto* label = new QLabel(QString::fromLatin1(caption), parent);
    label->setGeometry(geometry);
    return label;
}

template <typename Box = QComboBox>
Box* make_list(const char* name, bool editable, QWidget* parent, const QRect& geometry) {
    auto* list = new Box(parent);
    list->setObjectName(QString::fromLatin1(name));
    list->setGeometry(geometry);
    list->setMaxVisibleItems(12);
    if (editable) {
        list->setEditable(true);
        // The typed text is the operator's: the box must neither complete it into an entry
        // nor add it to the list.
        list->setCompleter(nullptr);
        list->setInsertPolicy(QComboBox::NoInsert);
    }
    return list;
}

// The list's entries, then `more` after them.
void fill_entries(QComboBox* widget, const ListBox& list, const QStringList& more = {}) {
    if (widget->count() == list.size() + more.size()) {
        bool same = true;
        for (int i = 0; i < more.size() && same; ++i)
            same = widget->itemText(list.size() + i) == more[i];
        if (same)
            return;
    }
    widget->clear();
    for (const auto& entry : list.entries)
        widget->addItem(QString::fromStdString(entry));
    widget->addItems(more);
}

void draw_list(QComboBox* widget, const ListBox& list) {
    fill_entries(widget, list);
    if (widget->currentIndex() != list.index)
        widget->setCurrentIndex(list.index);
}

void draw_combo(QComboBox* widget, const ComboBox& combo, const QStringList& more = {}) {
    fill_entries(widget, combo, more);
    const QString typed = QString::fromStdString(combo.text());
    // Left alone while it already reads right, so typing keeps its cursor.
    if (widget->currentText() == typed)
        return;
    widget->setCurrentIndex(combo.index);
    widget->setEditText(typed);
}

// The busy cursor for as long as a transfer holds the window.
class BusyCursor {
public:
    BusyCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QGuiApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

Services with_boxes(const Services& s, MessageBoxes& boxes) {
    return {s.port,   s.clock, s.events, s.calendar,  boxes,
            s.dialog, s.files, s.shell,  s.port_list, s.port_examiner};
}

} // namespace

MainWindow::MainWindow(Services& services, QWidget* parent)
    : QWidget(parent), boxes_(services.boxes, *this), services_(with_boxes(services, boxes_)),
      editor_(services_), startup_folder_(QDir::currentPath().toStdString()) {
    setWindowTitle(QString::fromLatin1(window_caption));
    // The twips layout is sized for a small dialog font; the desktop's usual 9 or 10 points
    // would clip the captions of the band and the cells.
    QFont small = font();
    small.setPointSizeF(8);
    setFont(small);

    const Twips twips = screen_twips(this);
    setFixedSize(twips(geometry::window.width), twips(geometry::window.height));

    build_band();
    SSTab1 = new QTabWidget(this);
    SSTab1->setObjectName(QStringLiteral("SSTab1"));
    SSTab1->setGeometry(twips.rect(geometry::tabs));
    const char* captions[] = {"Command Setting", "Welcome Msg", "User Defined Character",
                              "Test Display"};
    for (int i = 0; i < 4; ++i) {
        pages_[i] = new QWidget;
        SSTab1->addTab(pages_[i], QString::fromLatin1(captions[i]));
    }
    build_command_page(pages_[0]);

    connect_band();
    start_up(editor_);
    draw();
}

void MainWindow::DrawnBoxes::show(const std::string& text, const std::string& title) {
    window.draw();
    inner.show(text, title);
}

bool MainWindow::DrawnBoxes::confirm(const std::string& text, const std::string& title) {
    window.draw();
    return inner.confirm(text, title);
}

MainWindow::~MainWindow() {
    // Widgets report focus changes while they go; by now nothing they say reaches the editor.
    closing_ = true;
    qDeleteAll(findChildren<QWidget*>(Qt::FindDirectChildrenOnly));
}

void MainWindow::build_band() {
    const Twips twips = screen_twips(this);
    auto* frame = new QGroupBox(QStringLiteral("Interface Setting"), this);
    frame->setGeometry(twips.rect(geometry::interface_frame));
    make_label("Com Port Select :", frame, twips.rect(geometry::comm_caption));
    FindPort = make_button("FindPort", "", frame, twips.rect(geometry::find_port));
    FindPort->setText(QStringLiteral("Find\u2026"));
    FindPort->setToolTip(QStringLiteral("Find the port and speed a display answers on"));
    Comm = make_list<PortBox>("Comm", true, frame, twips.rect(geometry::comm));
    // A list as wide as its longest entry: the system's names of a USB adapter are long.
    Comm->view()->setMinimumWidth(Comm->view()->sizeHintForColumn(0));
    make_label("Baud Rate :", frame, twips.rect(geometry::baud_caption));
    Baud = make_list("Baud", true, frame, twips.rect(geometry::baud));
    GetSetting = new WrappingButton(QStringLiteral("Read Setting From Pole Display"), frame);
    GetSetting->setObjectName(QStringLiteral("GetSetting"));
    GetSetting->setGeometry(twips.rect(geometry::get_setting));

    Load = make_button("Load", "Load", this, twips.rect(geometry::load));
    Save = make_button("Save", "Save", this, twips.rect(geometry::save));

    Help = make_button("Help", "About This Utility", this, twips.rect(geometry::help));
    SetAllDefault = make_button("SetAllDefault", "Set All Default", this,
                                twips.rect(geometry::set_all_default));
    Download =
        make_button("Download", "Write To Pole Display", this, twips.rect(geometry::download));
}

void MainWindow::build_command_page(QWidget* page) {
    const Twips twips = screen_twips(this);
    struct Row {
        const char* caption;
        const char* name;
        QComboBox** list;
    };
    const Row rows[] = {
        {" Character Type :", "Char", &Char},
        {"Command Mode :", "Command", &Command},
        {"BaudRate Select :", "BaudRate", &BaudRate},
        {" Passthru Mode :", "Passthru", &Passthru},
    };
    TwipsRect caption = geometry::setting_caption;
    TwipsRect list = geometry::setting_list;
    for (const Row& row : rows) {
        make_label(row.caption, page, twips.rect(caption));
        *row.list = make_list(row.name, false, page, twips.rect(list));
        caption.top += geometry::setting_row_step;
        list.top += geometry::setting_row_step;
    }
}

void MainWindow::connect_band() {
    auto& model = editor_.model;

    // Host port and line settings: a pick selects an entry, typing sets the text.
    const auto host_box = [this](QComboBox* widget, ComboBox& combo) {
        connect(widget, &QComboBox::activated, this,
                [this, &combo](int index) { act([&combo, index] { combo.select(index); }); });
        connect(widget->lineEdit(), &QLineEdit::textEdited, this,
                [this, &combo](const QString& text) {
                    act([&combo, text] { combo.type(text.toStdString()); });
                });
    };
    host_box(Baud, model.host_line);
    connect(Comm, &QComboBox::activated, this, [this, &model](int index) {
        // An entry after "Com 8" opens its device, as if it had been typed.
        const auto listed = static_cast<std::size_t>(index - model.host_port.size());
        if (index >= model.host_port.size() && listed < listed_ports_.size())
            act([&model, device = listed_ports_[listed].device] { model.host_port.type(device); });
        else
            act([&model, index] { model.host_port.select(index); });
    });
    connect(Comm->lineEdit(), &QLineEdit::textEdited, this, [this, &model](const QString& text) {
        act([&model, text] { model.host_port.type(text.toStdString()); });
    });
    Comm->before_opening = [this] { list_system_ports(); };
    connect(FindPort, &QAbstractButton::clicked, this, [this] { find_port(); });

    connect(Char, &QComboBox::activated, this,
            [this](int index) { act([this, index] { choose_code_page(editor_, index); }); });
    for (auto [widget, list] :
         {std::pair{Command, &model.command_set}, std::pair{BaudRate, &model.display_baud},
          std::pair{Passthru, &model.passthru_mode}}) {
        connect(widget, &QComboBox::activated, this,
                [this, list](int index) { act([list, index] { list->select(index); }); });
    }

    on_click(Load, [this] { load_from_file(editor_); });
    on_click(Save, [this] { save_to_file(editor_); });
    on_click(Help, [this] { open_help(editor_, startup_folder_); });
    on_click(SetAllDefault, [this] { set_all_default(editor_); });
    connect(Download, &QAbstractButton::clicked, this, [this] { transfer(write_to_display); });
    connect(GetSetting, &QAbstractButton::clicked, this, [this] { transfer(read_from_display); });

    connect(SSTab1, &QTabWidget::currentChanged, this, [this](int index) {
        build_page(index);
        act([this, index] { show_tab(editor_, index); });
    });
}

void MainWindow::build_page(int index) {
    const Twips twips = screen_twips(this);
    auto& model = editor_.model;
    if (index == 1 && !line1_) {
        QWidget* page = pages_[1];
        const int line1_top = geometry::message_frame.top;
        const int line2_top = line1_top + message_frame_height(20) + geometry::message_frame_step;
        line1_ = std::make_unique<MessageLineFrame>(page, 1, QStringLiteral("Welcome Msg 1"),
                                                    line1_top, twips);
        line2_ = std::make_unique<MessageLineFrame>(page, 2, QStringLiteral("Welcome Msg 2 "),
                                                    line2_top, twips);
        for (auto [frame, number] : {std::pair{line1_.get(), 1}, std::pair{line2_.get(), 2}}) {
            MessageLine* line = &line_numbered(model, number);
            on_click(frame->Op_A, [this, number] {
                select_line_view(editor_, number, MessageView::Characters);
            });
            on_click(frame->Op_H,
                     [this, number] { select_line_view(editor_, number, MessageView::Hex); });
            on_click(frame->CLR_MSG, [this, number] { clear_line(editor_, number); });
            for (int k = 1; k <= frame->cells(); ++k) {
                connect(frame->A[k], &QLineEdit::textEdited, this,
                        [this, number, k](const QString& text) {
                            act([this, number, k, text] {
                                type_character(editor_, number, k, text.toStdString());
                            });
                        });
                connect(frame->H[k], &QLineEdit::textEdited, this,
                        [this, line, k](const QString& text) {
                            act([line, k, text] { line->hex[k] = text.toStdString(); });
                        });
            }
            frame->frame->show();
        }
        TwipsRect preview = geometry::preview;
        preview.top = line2_top + message_frame_height(40) + geometry::message_frame_step;
        preview_ = new PreviewPanel(page);
        preview_->setGeometry(twips.rect(preview));
        preview_->show();
        auto* note = new QLabel(
            QStringLiteral("Drawn in the code page chosen; a display's national variant or "
                           "firmware may differ."),
            page);
        note->setObjectName(QStringLiteral("PreviewNote"));
        TwipsRect below = geometry::preview_note;
        below.top += preview.top + preview.height;
        note->setGeometry(twips.rect(below));
        note->show();
        TwipsRect character_note = geometry::character_note;
        TwipsRect add_missing = geometry::add_missing;
        character_note.top += below.top + below.height;
        add_missing.top += below.top + below.height;
        CharNote = new QLabel(page);
        CharNote->setObjectName(QStringLiteral("CharNote"));
        CharNote->setWordWrap(true);
        CharNote->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        QFont small = CharNote->font();
        small.setPointSizeF(small.pointSizeF() * 0.85);
        CharNote->setFont(small);
        CharNote->setGeometry(twips.rect(character_note));
        CharNote->show();
        AddMissing = make_button("AddMissing", add_missing_caption, page, twips.rect(add_missing));
        on_click(AddMissing, [this] { add_missing_characters(editor_); });
        AddMissing->show();
        line1_->draw(model.line1);
        line2_->draw(model.line2);
        draw_preview();
    }
    if (index == 2 && !characters_) {
        characters_ = std::make_unique<CharacterPage>(pages_[2], twips);
        auto& page = *characters_;
        for (int column = 0; column < 5; ++column)
            for (int row = 0; row < 7; ++row)
                on_click(page.map[column][row],
                         [this, column, row] { toggle_dot(editor_, column + 1, row); });
        on_click(page.MAP_Clear, [this] { clear_character(editor_); });
        on_click(page.UDC_NEXT, [this] { next_character(editor_); });
        on_click(page.UDC_UP, [this] { previous_character(editor_); });
        connect(page.UDC_TEXT, &QLineEdit::textEdited, this, [this](const QString& text) {
            act([this, text] { editor_.model.character_code = text.toStdString(); });
        });
        for (QWidget* child : pages_[2]->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            child->show();
        page.draw(model);
    }
    if (index == test_tab && !test_) {
        test_ = std::make_unique<TestPage>(pages_[test_tab], twips);
        auto& page = *test_;
        for (auto [box, number] : {std::pair{page.TestLine1, 1}, std::pair{page.TestLine2, 2}})
            connect(box, &QLineEdit::textEdited, this, [this, number](const QString& text) {
                act([this, number, text] { type_test_line(editor_, number, text.toStdString()); });
            });
        connect(page.TestCommand, &QComboBox::activated, this,
                [this](int index) { act([this, index] { choose_test_set(editor_, index); }); });
        connect(page.TestLevel, &QComboBox::activated, this,
                [this](int index) { act([this, index] { choose_test_level(editor_, index); }); });
        for (auto [button, command] : {std::pair{page.TestSend, &send_test_lines},
                                       std::pair{page.TestClear, &clear_test_display},
                                       std::pair{page.TestBrightness, &set_test_brightness}})
            connect(button, &QAbstractButton::clicked, this,
                    [this, command] { transfer(command); });
        for (QWidget* child :
             pages_[test_tab]->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            child->show();
        page.draw(model);
    }
}

void MainWindow::on_click(QAbstractButton* button, std::function<void()> action) {
    connect(button, &QAbstractButton::clicked, this,
            [this, action = std::move(action)] { act(action); });
}

void MainWindow::act(const std::function<void()>& action) {
    // While the model is being drawn, the widgets report the program's own changes; only the
    // operator's count.
    if (drawing_ || closing_)
        return;
    action();
    draw();
}

void MainWindow::transfer(void (*command)(Editor&)) {
    act([this, command] {
        BusyCursor busy;
        command(editor_);
    });
}

void MainWindow::draw() {
    drawing_ = true;
    const auto& model = editor_.model;
    QStringList listed;
    for (const auto& port : listed_ports_)
        listed << QString::fromStdString(port_entry_text(port));
    draw_combo(Comm, model.host_port, listed);
    draw_combo(Baud, model.host_line);
    draw_list(Char, model.code_page);
    draw_list(Command, model.command_set);
    draw_list(BaudRate, model.display_baud);
    draw_list(Passthru, model.passthru_mode);
    if (line1_) {
        line1_->draw(model.line1);
        line2_->draw(model.line2);
        if (CharNote->text() != QString::fromStdString(model.character_note))
            CharNote->setText(QString::fromStdString(model.character_note));
        draw_preview();
    }
    if (characters_)
        characters_->draw(model);
    if (test_)
        test_->draw(model);
    build_page(model.shown_tab);
    if (SSTab1->currentIndex() != model.shown_tab)
        SSTab1->setCurrentIndex(model.shown_tab);
    drawing_ = false;
}

void MainWindow::draw_preview() {
    preview_->show_preview(render_preview(preview_image(editor_)));
}

void MainWindow::list_system_ports() {
    listed_ports_ = editor_.services.port_list.ports();
    draw();
    Comm->view()->setMinimumWidth(Comm->view()->sizeHintForColumn(0));
}

void MainWindow::find_port() {
    act([this] {
        FindProgressDialog progress(this);
        find_display(editor_, progress);
    });
}

void MainWindow::preset_port(const std::string& name) {
    act([this, &name] { editor_.model.host_port.type(name); });
}

void MainWindow::closeEvent(QCloseEvent* event) {
    shut_down(editor_);
    event->accept();
}

} // namespace pds::ui
