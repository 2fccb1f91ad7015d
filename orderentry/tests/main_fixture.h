// A sandbox for the main window's tests: sample data in a temporary folder laid out
// as the program expects it (the data folder two levels above the executable's), an
// engine configuration of its own, and the settings folder in Qt's test location.
#pragma once

#include <QString>
#include <QTemporaryDir>

class TMainSandbox {
public:
    // Builds the sample data once; aliases are written by the cases that need them.
    TMainSandbox();
    ~TMainSandbox();

    bool Valid() const { return FDir.isValid() && FBuilt; }
    QString Root() const { return FDir.path(); }
    // The folder holding ORDERS.DB, with a trailing separator.
    QString DataFolder() const;

    // Writes the engine configuration file (INI text) and makes the engine read it again.
    void SetEngineConfig(const QString& Text);
    // The configuration with "DBDEMOS" on the sample data, plus Extra.
    QString LocalAlias(const QString& Extra = QString()) const;

    // Places the program where its data folder is the sample data, or a folder that
    // does not exist.
    void PlaceProgram(bool BesideData);

    // Removes the report writer's connection file of earlier cases.
    void ForgetReportConnection();
    static QString ReadReportConnection();

private:
    QTemporaryDir FDir;
    bool FBuilt = false;
    std::string FSavedAppFolder;
};
