#pragma once

#include <QDBusAbstractAdaptor>
#include <QDBusObjectPath>
#include <QStringList>
#include <QVariantMap>

#include "MprisService.h"

namespace sw {

/// The bus side of org.mpris.MediaPlayer2: the program as a whole.
class MprisRootAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2")
    Q_PROPERTY(QString Identity READ Identity)
    Q_PROPERTY(QString DesktopEntry READ DesktopEntry)
    Q_PROPERTY(bool CanQuit READ CanQuit)
    Q_PROPERTY(bool CanRaise READ CanRaise)
    Q_PROPERTY(bool HasTrackList READ HasTrackList)
    Q_PROPERTY(QStringList SupportedUriSchemes READ SupportedUriSchemes)
    Q_PROPERTY(QStringList SupportedMimeTypes READ SupportedMimeTypes)

public:
    explicit MprisRootAdaptor(MprisService* service) : QDBusAbstractAdaptor(service), m_service(service) {}

    QString Identity() const;
    QString DesktopEntry() const { return "sonwick3"; }
    bool CanQuit() const { return true; }
    bool CanRaise() const { return true; }
    bool HasTrackList() const { return false; }
    QStringList SupportedUriSchemes() const { return {}; }
    QStringList SupportedMimeTypes() const { return {}; }

public slots:
    void Raise() { m_service->Raise(); }
    void Quit() { m_service->Quit(); }

private:
    MprisService* m_service;
};

/// The bus side of org.mpris.MediaPlayer2.Player: the transport.
class MprisPlayerAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Player")
    Q_PROPERTY(QString PlaybackStatus READ PlaybackStatus)
    Q_PROPERTY(QVariantMap Metadata READ Metadata)
    Q_PROPERTY(qlonglong Position READ Position)
    Q_PROPERTY(double Rate READ Rate)
    Q_PROPERTY(double MinimumRate READ Rate)
    Q_PROPERTY(double MaximumRate READ Rate)
    Q_PROPERTY(bool CanGoNext READ CanGoNext)
    Q_PROPERTY(bool CanGoPrevious READ CanGoPrevious)
    Q_PROPERTY(bool CanPlay READ CanPlay)
    Q_PROPERTY(bool CanPause READ CanPause)
    Q_PROPERTY(bool CanSeek READ CanSeek)
    Q_PROPERTY(bool CanControl READ CanControl)

public:
    explicit MprisPlayerAdaptor(MprisService* service) : QDBusAbstractAdaptor(service), m_service(service) {}

    QString PlaybackStatus() const { return m_service->PlaybackStatus(); }
    QVariantMap Metadata() const { return m_service->Metadata(); }
    qlonglong Position() const { return m_service->Position(); }
    double Rate() const { return 1.0; }
    bool CanGoNext() const { return m_service->CanGoNext(); }
    bool CanGoPrevious() const { return m_service->CanGoPrevious(); }
    bool CanPlay() const { return m_service->CanPlay(); }
    bool CanPause() const { return m_service->CanPause(); }
    bool CanSeek() const { return m_service->CanSeek(); }
    bool CanControl() const { return true; }

public slots:
    void Play() { m_service->Play(); }
    void Pause() { m_service->Pause(); }
    void PlayPause() { m_service->PlayPause(); }
    void Stop() { m_service->StopPlaying(); }
    void Next() { m_service->Next(); }
    void Previous() { m_service->Previous(); }
    void Seek(qlonglong offset) { m_service->Seek(offset); }
    void SetPosition(const QDBusObjectPath& trackId, qlonglong position) {
        m_service->SetPosition(trackId, position);
    }

signals:
    void Seeked(qlonglong position);

private:
    MprisService* m_service;
};

}  // namespace sw
