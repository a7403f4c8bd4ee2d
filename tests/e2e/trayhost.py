#!/usr/bin/python3
"""A StatusNotifierItem tray and a notification server of the tests' own, on the session bus
of DBUS_SESSION_BUS_ADDRESS, and a client that reads and clicks an item's menu as a panel does.

  trayhost.py watcher LOG      owns org.kde.StatusNotifierWatcher, registers itself as a host;
                               each item registered is a line "item <service><path>" in LOG
  trayhost.py notifications LOG  owns org.freedesktop.Notifications; each Notify is a line
                               "notify <summary>|<body>" in LOG (new lines as "\\n")
  trayhost.py layout           the first item's menu over com.canonical.dbusmenu, one line per
                               item: "<label>|<toggle-type>|<toggle-state>|<enabled>"
  trayhost.py click LABEL      AboutToShow, then Event "clicked" on the item of that label
  trayhost.py contextmenu      the item's ContextMenu, as a panel that shows no menu itself;
                               fails when the item does not answer within 5 s
"""
import os
import sys

import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

WATCHER = "org.kde.StatusNotifierWatcher"
WATCHER_PATH = "/StatusNotifierWatcher"
ITEM = "org.kde.StatusNotifierItem"
MENU = "com.canonical.dbusmenu"
PROPS = "org.freedesktop.DBus.Properties"


def log_line(path, text):
    with open(path, "a", encoding="utf-8") as f:
        f.write(text + "\n")


class Watcher(dbus.service.Object):
    def __init__(self, bus, log):
        super().__init__(bus, WATCHER_PATH)
        self.log = log
        self.items = []
        self.hosts = []

    @dbus.service.method(WATCHER, in_signature="s", sender_keyword="sender")
    def RegisterStatusNotifierItem(self, service, sender=None):
        # An item gives its bus name, or only its object path on the caller's connection.
        item = sender + service if service.startswith("/") else service + "/StatusNotifierItem"
        if item not in self.items:
            self.items.append(item)
        log_line(self.log, "item " + item)
        self.StatusNotifierItemRegistered(item)

    @dbus.service.method(WATCHER, in_signature="s")
    def RegisterStatusNotifierHost(self, service):
        self.hosts.append(service)
        self.StatusNotifierHostRegistered()

    @dbus.service.signal(WATCHER, signature="s")
    def StatusNotifierItemRegistered(self, item):
        pass

    @dbus.service.signal(WATCHER, signature="")
    def StatusNotifierHostRegistered(self):
        pass

    def values(self):
        return {
            "RegisteredStatusNotifierItems": dbus.Array(self.items, signature="s"),
            "IsStatusNotifierHostRegistered": dbus.Boolean(bool(self.hosts)),
            "ProtocolVersion": dbus.Int32(0),
        }

    # Qt reads the properties through an interface it builds from the introspection data.
    @dbus.service.method(dbus.INTROSPECTABLE_IFACE, out_signature="s",
                         path_keyword="object_path", connection_keyword="connection")
    def Introspect(self, object_path, connection):
        xml = super().Introspect(object_path, connection)
        props = ('<property name="RegisteredStatusNotifierItems" type="as" access="read"/>'
                 '<property name="IsStatusNotifierHostRegistered" type="b" access="read"/>'
                 '<property name="ProtocolVersion" type="i" access="read"/>')
        marker = '<interface name="%s">' % WATCHER
        return xml.replace(marker, marker + props)

    @dbus.service.method(PROPS, in_signature="ss", out_signature="v")
    def Get(self, interface, name):
        return self.values()[name]

    @dbus.service.method(PROPS, in_signature="s", out_signature="a{sv}")
    def GetAll(self, interface):
        return self.values()


class Notifications(dbus.service.Object):
    def __init__(self, bus, log):
        super().__init__(bus, "/org/freedesktop/Notifications")
        self.log = log
        self.last = 0

    @dbus.service.method("org.freedesktop.Notifications", in_signature="susssasa{sv}i",
                         out_signature="u")
    def Notify(self, app, replaces, icon, summary, body, actions, hints, timeout):
        self.last += 1
        log_line(self.log, "notify %s|%s" % (summary, body.replace("\n", "\\n")))
        return self.last


def serve(kind, log):
    DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    if kind == "watcher":
        keep = Watcher(bus, log)
        name = dbus.service.BusName(WATCHER, bus, do_not_queue=True)
        host = dbus.service.BusName("org.kde.StatusNotifierHost-%d" % os.getpid(), bus)
        keep.RegisterStatusNotifierHost(host.get_name())
    else:
        keep = Notifications(bus, log)
        name = dbus.service.BusName("org.freedesktop.Notifications", bus, do_not_queue=True)
    log_line(log, "ready")
    GLib.MainLoop().run()
    del keep, name


def first_item(bus):
    watcher = bus.get_object(WATCHER, WATCHER_PATH)
    items = watcher.Get(WATCHER, "RegisteredStatusNotifierItems", dbus_interface=PROPS)
    if not items:
        sys.exit("no item registered")
    service, path = items[0].split("/", 1)
    return service, bus.get_object(service, "/" + path)


def first_menu(bus):
    service, item = first_item(bus)
    menu_path = item.Get(ITEM, "Menu", dbus_interface=PROPS)
    if menu_path == "/NO_DBUSMENU":
        sys.exit("the item exports no menu")
    return bus.get_object(service, menu_path)


def entries(menu):
    _, (_, _, children) = menu.GetLayout(0, -1, dbus.Array([], signature="s"),
                                         dbus_interface=MENU)
    for child in children:
        item_id, props, _ = child
        if props.get("type") == "separator" or not props.get("visible", True):
            continue
        yield int(item_id), props


def main():
    kind = sys.argv[1]
    if kind in ("watcher", "notifications"):
        serve(kind, sys.argv[2])
        return
    bus = dbus.SessionBus()
    if kind == "contextmenu":
        _, item = first_item(bus)
        item.ContextMenu(dbus.Int32(600), dbus.Int32(400), dbus_interface=ITEM, timeout=5)
        return
    menu = first_menu(bus)
    # A panel asks before it shows the menu: the program may bring its items up to date.
    menu.AboutToShow(0, dbus_interface=MENU)
    if kind == "layout":
        for _, props in entries(menu):
            print("%s|%s|%d|%s" % (props.get("label", ""), props.get("toggle-type", ""),
                                   int(props.get("toggle-state", -1)),
                                   bool(props.get("enabled", True))))
    elif kind == "click":
        for item_id, props in entries(menu):
            if props.get("label", "").replace("_", "") == sys.argv[2]:
                menu.Event(item_id, "clicked", dbus.Int32(0, variant_level=1), dbus.UInt32(0),
                           dbus_interface=MENU)
                return
        sys.exit("no item " + sys.argv[2])


if __name__ == "__main__":
    main()
