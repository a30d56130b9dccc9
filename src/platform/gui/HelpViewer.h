#pragma once
// The help viewer: shows a topic of a help file by its context number.

#include <QString>
#include <QStringList>

class IHelpViewer {
public:
    virtual ~IHelpViewer() = default;
    /// Shows topic `context` of the first of `helpFiles` that can be read. When none can,
    /// the viewer says so in its own window, naming every place it looked; nothing is raised.
    virtual void ShowTopic(const QStringList& helpFiles, int context) = 0;
};

/// The anchor under which a help file holds the topic with that context number.
QString HelpTopicAnchor(int context);
