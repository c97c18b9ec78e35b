// Start-up baseline: the program's widget set, places and captions, with no logic and no style
// of its own: a main window with a two-item menu bar, two line edits, a button, a group box with
// two radio buttons, and two labels. Built twice: with Qt's default font, and with
// PROGRAM_FONTS, with the two fonts the program's window asks for, to tell their cost apart.
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>

namespace {

void useProgramFonts([[maybe_unused]] QWidget *window, [[maybe_unused]] QWidget *button)
{
#ifdef PROGRAM_FONTS
    QFont text(QStringLiteral("Liberation Sans"));
    text.setStyleHint(QFont::SansSerif);
    text.setPixelSize(10);
    window->setFont(text);
    QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"));
    QFont bold(QStringLiteral("MS Sans Serif"));
    bold.setStyleHint(QFont::SansSerif);
    bold.setPixelSize(16);
    bold.setBold(true);
    button->setFont(bold);
#endif
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Conversione"));
    window.menuBar()->addAction(QStringLiteral("Nuovo"));
    window.menuBar()->addAction(QStringLiteral("Chiudi"));

    auto *client = new QWidget;
    client->setFixedSize(339, 160);
    window.setCentralWidget(client);
    (new QLineEdit(client))->setGeometry(40, 32, 161, 19);
    (new QLineEdit(client))->setGeometry(40, 80, 161, 19);
    auto *button = new QPushButton(QStringLiteral("Converti"), client);
    button->setGeometry(64, 112, 113, 33);
    auto *frame = new QGroupBox(QStringLiteral("Tipo conversione"), client);
    frame->setGeometry(224, 32, 97, 73);
    auto *binario = new QRadioButton(QStringLiteral("Binario"), frame);
    binario->setGeometry(8, 16, 65, 25);
    binario->setChecked(true);
    (new QRadioButton(QStringLiteral("Decimale"), frame))->setGeometry(8, 40, 73, 25);
    (new QLabel(QStringLiteral("Risultato"), client))->setGeometry(96, 64, 41, 17);
    (new QLabel(QStringLiteral("Input"), client))->setGeometry(104, 16, 25, 17);

    useProgramFonts(&window, button);
    window.show();
    return app.exec();
}
