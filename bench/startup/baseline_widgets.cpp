// Start-up baseline: the program's widget set, places and captions, with no logic, no fonts and
// no style of its own: a main window with a two-item menu bar, two line edits, a button, a group
// box with two radio buttons, and two labels.
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>

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
    (new QPushButton(QStringLiteral("Converti"), client))->setGeometry(64, 112, 113, 33);
    auto *frame = new QGroupBox(QStringLiteral("Tipo conversione"), client);
    frame->setGeometry(224, 32, 97, 73);
    auto *binario = new QRadioButton(QStringLiteral("Binario"), frame);
    binario->setGeometry(8, 16, 65, 25);
    binario->setChecked(true);
    (new QRadioButton(QStringLiteral("Decimale"), frame))->setGeometry(8, 40, 73, 25);
    (new QLabel(QStringLiteral("Risultato"), client))->setGeometry(96, 64, 41, 17);
    (new QLabel(QStringLiteral("Input"), client))->setGeometry(104, 16, 25, 17);

    window.show();
    return app.exec();
}
