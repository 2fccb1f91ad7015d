// TDataSource: what data-aware controls and detail datasets follow. Controls get
// OnStateChange / OnDataChange (suppressed while the dataset's controls are disabled);
// detail links are always told, so a detail never shows another master's records.
#pragma once

#include "platform/data/dataset.h"

#include <QObject>

#include <functional>
#include <vector>

class TDataSource;

class TDataLink {
public:
    virtual ~TDataLink() = default;
    virtual void DataEvent(int event, TField* field) = 0;
    // The source is being destroyed; the link must forget it.
    virtual void SourceDestroyed() = 0;
};

class TDataSource : public QObject {
public:
    explicit TDataSource(QObject* owner = nullptr);
    ~TDataSource() override;

    TDataSet* DataSet() const { return FDataSet; }
    void SetDataSet(TDataSet* dataSet);
    bool Enabled = true;
    TDataSetState State() const { return FDataSet && Enabled ? FDataSet->State() : dsInactive; }

    std::function<void(TDataSource*)> OnStateChange;
    // The field that changed, or null when the record or the whole view changed.
    std::function<void(TDataSource*, TField*)> OnDataChange;

    void AddLink(TDataLink* link);
    void RemoveLink(TDataLink* link);

private:
    friend class TDataSet;
    void Notify(int event, TField* field, bool controls);
    TDataSet* FDataSet = nullptr;
    std::vector<TDataLink*> FLinks;
};
