// Data source notifications.
#include "platform/data/datasource.h"

#include "platform/data/dataset_p.h"

#include <algorithm>

TDataSource::TDataSource(QObject* owner)
    : QObject(owner)
{
}

TDataSource::~TDataSource()
{
    for (auto copy = FLinks; TDataLink* l : copy)
        l->SourceDestroyed();
    FLinks.clear();
    if (FDataSet) {
        auto& v = FDataSet->d->Sources;
        v.erase(std::remove(v.begin(), v.end(), this), v.end());
    }
}

void TDataSource::SetDataSet(TDataSet* dataSet)
{
    if (FDataSet == dataSet)
        return;
    if (FDataSet) {
        auto& v = FDataSet->d->Sources;
        v.erase(std::remove(v.begin(), v.end(), this), v.end());
    }
    FDataSet = dataSet;
    if (FDataSet)
        FDataSet->d->Sources.push_back(this);
    Notify(deDataSetChange, nullptr, true);
    Notify(deStateChange, nullptr, true);
}

void TDataSource::AddLink(TDataLink* link)
{
    if (std::find(FLinks.begin(), FLinks.end(), link) == FLinks.end())
        FLinks.push_back(link);
}

void TDataSource::RemoveLink(TDataLink* link)
{
    FLinks.erase(std::remove(FLinks.begin(), FLinks.end(), link), FLinks.end());
}

void TDataSource::Notify(int event, TField* field, bool controls)
{
    if (!Enabled)
        return;
    for (auto copy = FLinks; TDataLink* l : copy)
        l->DataEvent(event, field);
    if (!controls || event == deCheckBrowseMode || event == deUpdateRecord)
        return;
    if (event == deStateChange) {
        if (OnStateChange)
            OnStateChange(this);
    } else if (OnDataChange) {
        OnDataChange(this, event == deFieldChange ? field : nullptr);
    }
}
