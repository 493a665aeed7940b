#!/usr/bin/python3
"""A StatusNotifier watcher and host on the session bus, as a desktop panel
would be, driven line by line from standard input so a test can say when
the host comes and goes and what it clicks:

  host on|off          own the watcher name (and say a host is registered)
  wait-item            wait for an item to register; prints "item <service>"
  activate             call the item's Activate(0, 0)
  context              call the item's ContextMenu(0, 0)
  layout               print the item's menu, one line per entry, indented
  click <label path>   send "clicked" to the menu entry at that path (a/b/c)
  count-signals <s>    print how many NewIcon/NewToolTip/LayoutUpdated came in s seconds
  prop <name>          print an item property
Every answer ends with a line "ok" or "error <text>".
"""
import sys
import time

import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

WATCHER = "org.kde.StatusNotifierWatcher"
ITEM = "org.kde.StatusNotifierItem"
MENU = "com.canonical.dbusmenu"

DBusGMainLoop(set_as_default=True)
bus = dbus.SessionBus()
loop = GLib.MainLoop()


class Watcher(dbus.service.Object):
    def __init__(self):
        self.items = []
        self.name = None
        dbus.service.Object.__init__(self, bus, "/StatusNotifierWatcher")

    def own(self):
        self.name = dbus.service.BusName(WATCHER, bus, do_not_queue=True)
        self.StatusNotifierHostRegistered()

    def release(self):
        self.items = []
        if self.name is not None:
            bus.release_name(WATCHER)
            self.name = None

    @dbus.service.method(WATCHER, in_signature="s", sender_keyword="sender")
    def RegisterStatusNotifierItem(self, service, sender=None):
        path = "/StatusNotifierItem"
        if service.startswith("/"):
            path, service = service, sender
        self.items.append((str(service), path))
        self.StatusNotifierItemRegistered(service + path)

    @dbus.service.method(WATCHER, in_signature="s")
    def RegisterStatusNotifierHost(self, service):
        pass

    @dbus.service.signal(WATCHER, signature="s")
    def StatusNotifierItemRegistered(self, item):
        pass

    @dbus.service.signal(WATCHER, signature="")
    def StatusNotifierHostRegistered(self):
        pass

    # Qt reads the properties through an introspected interface.
    @dbus.service.method(dbus.INTROSPECTABLE_IFACE, out_signature="s",
                         path_keyword="path", connection_keyword="conn")
    def Introspect(self, path, conn):
        xml = dbus.service.Object.Introspect(self, path, conn)
        props = ('<property name="RegisteredStatusNotifierItems" type="as" access="read"/>'
                 '<property name="IsStatusNotifierHostRegistered" type="b" access="read"/>'
                 '<property name="ProtocolVersion" type="i" access="read"/>')
        return xml.replace('<interface name="%s">' % WATCHER,
                           '<interface name="%s">%s' % (WATCHER, props))

    @dbus.service.method(dbus.PROPERTIES_IFACE, in_signature="ss", out_signature="v")
    def Get(self, interface, prop):
        return self.GetAll(interface)[prop]

    @dbus.service.method(dbus.PROPERTIES_IFACE, in_signature="s", out_signature="a{sv}")
    def GetAll(self, interface):
        return {
            "RegisteredStatusNotifierItems": dbus.Array([s + p for s, p in self.items], signature="s"),
            "IsStatusNotifierHostRegistered": dbus.Boolean(True),
            "ProtocolVersion": dbus.Int32(0),
        }


watcher = Watcher()
signals = {"NewIcon": 0, "NewToolTip": 0, "LayoutUpdated": 0}


def count(*args, member=None, **kw):
    signals[member] = signals.get(member, 0) + 1


for member in ("NewIcon", "NewToolTip", "LayoutUpdated"):
    bus.add_signal_receiver(count, signal_name=member, member_keyword="member")


def pump(seconds, until=lambda: False):
    end = time.monotonic() + seconds
    ctx = loop.get_context()
    while time.monotonic() < end and not until():
        ctx.iteration(False)
        time.sleep(0.01)
    return until()


def item():
    service, path = watcher.items[-1]
    return bus.get_object(service, path)


def menu():
    obj = item()
    path = obj.Get(ITEM, "Menu", dbus_interface=dbus.PROPERTIES_IFACE)
    return bus.get_object(watcher.items[-1][0], path)


def entries(node, depth, out):
    ident, props, children = node
    label = str(props.get("label", ""))
    if props.get("type") == "separator":
        label = "-"
    flags = []
    if props.get("visible", True) is False:
        flags.append("hidden")
    if props.get("enabled", True) is False:
        flags.append("disabled")
    out.append((depth, label, int(ident), flags))
    for child in children:
        entries(child, depth + 1, out)


def layout():
    m = menu()
    _, root = m.GetLayout(0, -1, dbus.Array([], signature="s"), dbus_interface=MENU)
    out = []
    for child in root[2]:
        entries(child, 0, out)
    return m, out


def find(path):
    m, out = layout()
    want = path.split("/")
    stack = []
    for depth, label, ident, _ in out:
        stack = stack[:depth] + [label.replace("_", "")]
        if stack == want:
            return m, ident
    raise KeyError(path)


def run(line):
    cmd, _, arg = line.strip().partition(" ")
    if cmd == "host":
        watcher.own() if arg == "on" else watcher.release()
        pump(0.2)
    elif cmd == "wait-item":
        if not pump(float(arg or 20), lambda: watcher.items):
            raise RuntimeError("no item registered")
        print("item", watcher.items[-1][0] + watcher.items[-1][1])
    elif cmd == "activate":
        item().Activate(0, 0, dbus_interface=ITEM)
    elif cmd == "context":
        item().ContextMenu(0, 0, dbus_interface=ITEM)
    elif cmd == "layout":
        pump(0.3)
        for depth, label, _, flags in layout()[1]:
            print("  " * depth + label + ("" if not flags else " [" + ",".join(flags) + "]"))
    elif cmd == "click":
        m, ident = find(arg)
        m.Event(ident, "clicked", dbus.Int32(0, variant_level=1), dbus.UInt32(0), dbus_interface=MENU)
    elif cmd == "count-signals":
        for key in signals:
            signals[key] = 0
        pump(float(arg))
        print(" ".join(f"{k}={v}" for k, v in sorted(signals.items())))
    elif cmd == "prop":
        value = item().Get(ITEM, arg, dbus_interface=dbus.PROPERTIES_IFACE)
        if arg.endswith("Pixmap"):
            value = " ".join(f"{w}x{h}" for w, h, _ in value)
        elif arg == "ToolTip":
            value = value[2]
        print(value)
    else:
        raise RuntimeError("unknown command " + cmd)


for line in sys.stdin:
    if not line.strip():
        continue
    try:
        run(line)
        print("ok", flush=True)
    except Exception as e:  # the test reads the failure
        print("error", str(e).replace("\n", " "), flush=True)
    pump(0.05)
