#include "ui/playlist/CAlarmDialog.h"

#include <QDate>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QPushButton>
#include <QTimeEdit>
#include <ctime>

CAlarmDialog::Result CAlarmDialog::Ask(QWidget* parent, const std::string& playlistTitle,
                                       CDateTime& alarm) {
    QDialog dialog(parent);
    dialog.setWindowTitle(QStringLiteral("Alarm %1").arg(QString::fromStdString(playlistTitle)));
    auto* layout = new QFormLayout(&dialog);
    auto* time = new QTimeEdit(&dialog);
    time->setDisplayFormat(QStringLiteral("HH:mm:ss"));
    std::tm fields{};
    if (!alarm.IsNull() && alarm.GetCalendar(fields)) {
        time->setTime(QTime(fields.tm_hour, fields.tm_min, fields.tm_sec));
    } else {
        time->setTime(QTime::currentTime());
    }
    layout->addRow(QStringLiteral("Looping start time"), time);
    auto* buttons = new QDialogButtonBox(&dialog);
    QPushButton* on = buttons->addButton(QStringLiteral("On"), QDialogButtonBox::AcceptRole);
    QPushButton* off = buttons->addButton(QStringLiteral("Off"), QDialogButtonBox::ActionRole);
    buttons->addButton(QDialogButtonBox::Cancel);
    layout->addRow(buttons);
    Result result = kCancel;
    QObject::connect(on, &QPushButton::clicked, &dialog, [&] {
        result = kOn;
        dialog.accept();
    });
    QObject::connect(off, &QPushButton::clicked, &dialog, [&] {
        result = kOff;
        dialog.accept();
    });
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    dialog.exec();
    if (result == kOn) {
        const QDate today = QDate::currentDate();
        const QTime chosen = time->time();
        alarm = CDateTime::FromCalendar(today.year(), today.month(), today.day(), chosen.hour(),
                                        chosen.minute(), chosen.second());
    } else if (result == kOff) {
        alarm = CDateTime::Null();
    }
    return result;
}
