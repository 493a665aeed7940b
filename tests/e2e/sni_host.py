#!/usr/bin/python3
"""A StatusNotifier watcher and host on the session bus, as a panel is, driven by lines of stdin:
host on|off, activate, context, layout, click <a/b/c> (an entry by its labels), count-signals <s>,
prop <name>, items; each answer ends "ok" or "error <text>". Without the watcher name, a panel's is asked."""
import sys, time
import dbus, dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

WATCHER = "org.kde.StatusNotifierWatcher"
ITEM = "org.kde.StatusNotifierItem"
MENU = "com.canonical.dbusmenu"
PROPS = dbus.PROPERTIES_IFACE
WATCHER_PROPS = {"RegisteredStatusNotifierItems": "as", "IsStatusNotifierHostRegistered": "b", "ProtocolVersion": "i"}

DBusGMainLoop(set_as_default=True)
bus = dbus.SessionBus()
context = GLib.MainLoop().get_context()


class Watcher(dbus.service.Object):
    items, name = [], None

    def own(self, on):
        self.items = []
        if on:
            self.name = dbus.service.BusName(WATCHER, bus, do_not_queue=True)
            self.StatusNotifierHostRegistered()
        elif self.name is not None:
            bus.release_name(WATCHER)
            self.name = None

    @dbus.service.method(WATCHER, in_signature="s", sender_keyword="sender")
    def RegisterStatusNotifierItem(self, service, sender=None):
        path = "/StatusNotifierItem"
        if service.startswith("/"):
            path, service = service, sender
        self.items.append((str(service), str(path)))

    @dbus.service.signal(WATCHER, signature="")
    def StatusNotifierHostRegistered(self):
        pass

    # Qt reads the properties through an introspected interface.
    @dbus.service.method(dbus.INTROSPECTABLE_IFACE, out_signature="s",
                         path_keyword="path", connection_keyword="conn")
    def Introspect(self, path, conn):
        props = "".join(f'<property name="{n}" type="{t}" access="read"/>' for n, t in WATCHER_PROPS.items())
        return dbus.service.Object.Introspect(self, path, conn).replace(
            f'<interface name="{WATCHER}">', f'<interface name="{WATCHER}">{props}')

    @dbus.service.method(PROPS, in_signature="ss", out_signature="v")
    def Get(self, interface, prop):
        return {"RegisteredStatusNotifierItems": dbus.Array([s + p for s, p in self.items], signature="s"),
                "IsStatusNotifierHostRegistered": dbus.Boolean(True), "ProtocolVersion": dbus.Int32(0)}[prop]


watcher = Watcher(bus, "/StatusNotifierWatcher")
signals = {"LayoutUpdated": 0, "NewIcon": 0, "NewToolTip": 0}
for member in signals:
    bus.add_signal_receiver(lambda *a, member=None: signals.__setitem__(member, signals[member] + 1),
                            signal_name=member, member_keyword="member")


def pump(seconds):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        context.iteration(False)
        time.sleep(0.01)


def registered():
    if watcher.name is not None:
        return watcher.items
    try:  # a panel's watcher
        names = bus.get_object(WATCHER, "/StatusNotifierWatcher").Get(WATCHER, "RegisteredStatusNotifierItems", dbus_interface=PROPS)
    except dbus.DBusException:
        return []
    return [tuple(n.partition("/")[0::2]) for n in map(str, names)]


def item():
    service, path = registered()[-1]
    return bus.get_object(service, "/" + path.lstrip("/"))


def layout():
    """The menu object and its entries as (depth, label, id, flags)."""
    m = bus.get_object(item().bus_name, item().Get(ITEM, "Menu", dbus_interface=PROPS))
    out = []

    def walk(node, depth):
        ident, props, children = node
        label = "-" if props.get("type") == "separator" else str(props.get("label", ""))
        flags = [f for p, f in (("visible", "hidden"), ("enabled", "disabled")) if props.get(p, True) is False]
        out.append((depth, label, int(ident), flags))
        for child in children:
            walk(child, depth + 1)

    for child in m.GetLayout(0, -1, dbus.Array([], signature="s"), dbus_interface=MENU)[1][2]:
        walk(child, 0)
    return m, out


def click(path):
    (m, out), stack = layout(), []
    for depth, label, ident, _ in out:
        stack = stack[:depth] + [label.replace("_", "")]
        if stack == path.split("/"):
            return m.Event(ident, "clicked", dbus.Int32(0, variant_level=1), dbus.UInt32(0), dbus_interface=MENU)
    raise KeyError(path)


def run(cmd, arg):
    if cmd == "host":
        watcher.own(arg == "on")
        pump(0.2)
    elif cmd in ("activate", "context"):
        getattr(item(), {"activate": "Activate", "context": "ContextMenu"}[cmd])(0, 0, dbus_interface=ITEM)
    elif cmd == "layout":
        pump(0.3)
        for depth, label, _, flags in layout()[1]:
            print("  " * depth + label + (" [%s]" % ",".join(flags) if flags else ""))
    elif cmd == "click":
        click(arg)
    elif cmd == "count-signals":
        signals.update(dict.fromkeys(signals, 0))
        pump(float(arg))
        print(" ".join(f"{k}={v}" for k, v in sorted(signals.items())))
    elif cmd == "prop":
        value = item().Get(ITEM, arg, dbus_interface=PROPS)
        print(" ".join(f"{w}x{h}" for w, h, _ in value) if arg.endswith("Pixmap") else
              value[2] if arg == "ToolTip" else value)
    elif cmd == "items":
        print(len(registered()))
    else:
        raise RuntimeError("unknown command " + cmd)


for line in sys.stdin:
    if line.strip():
        try:
            run(*(line.strip().split(" ", 1) + [""])[:2])
            print("ok", flush=True)
        except Exception as e:  # the test reads the failure
            print("error", str(e).replace("\n", " "), flush=True)
    pump(0.05)
