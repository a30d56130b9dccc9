#pragma once
// The help viewer: shows a topic of a help file by its context number.

#include <QString>

class IHelpViewer {
public:
    virtual ~IHelpViewer() = default;
    /// Shows topic `context` of `helpFile`. A missing or unreadable file is reported by
    /// the viewer itself, in its own window; nothing is raised.
    virtual void ShowTopic(const QString& helpFile, int context) = 0;
};

/// The anchor under which a help file holds the topic with that context number.
QString HelpTopicAnchor(int context);
