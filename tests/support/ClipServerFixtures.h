// A local clip server for the suites that run the clip-server programs: a root folder with
// one folder per server and one image sequence per clip, with the program's installation
// folder pointed at the staged programs.
#pragma once

#include <QColor>
#include <QSize>
#include <QString>

namespace testenv {

class ClipServerRoot {
public:
    // Points PLINTRA_CLIP_SERVER_ROOT at the folder and "InstallDir" at the staged build.
    explicit ClipServerRoot(const QString& folder);
    ~ClipServerRoot();
    ClipServerRoot(const ClipServerRoot&) = delete;
    ClipServerRoot& operator=(const ClipServerRoot&) = delete;

    QString qstrRoot() const { return m_qstrRoot; }
    // Writes the clip's frames clipFolder/prefix0001.png ... (numbered from firstNumber),
    // frame k (from 0) filled with qcolFrame(k), and returns the clip's folder.
    QString qstrAddClip(const QString& server, const QString& clip, const QString& prefix, int count,
        QSize size = QSize(72, 57), int firstNumber = 1);

private:
    QString m_qstrRoot;
};

// A colour of its own for each frame number, far enough from its neighbours to tell apart.
QColor qcolFrame(int frame);
// Writes a PNG of one colour; false when it cannot be written.
bool bWriteColouredImage(const QString& path, QSize size, QColor colour);
// Whether the image file holds one colour throughout, within a tolerance per channel.
bool bImageIsColour(const QString& path, QColor colour, int tolerance = 2);

} // namespace testenv
