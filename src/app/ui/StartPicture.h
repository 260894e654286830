#pragma once

#include <QImage>
#include <QWidget>

// The borderless start picture, 400 x 300, always on top and centred, with
// the program version.
class TStartPicture : public QWidget {
public:
    explicit TStartPicture(const QString& versionText);

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QString Version;
    QImage Picture;
};
