"""What the tests on a real X display share: waiting for something to
appear, and the environment the program runs in there (its folders in one
work folder, the xcb platform chosen by the caller, no development mode)."""
import os
import time


def wait_for(what, test, seconds=30, on_timeout=None):
    """Polls test() until it gives something true and returns it; ends the
    test when seconds pass (after on_timeout, e.g. a screenshot)."""
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        result = test()
        if result:
            return result
        time.sleep(0.2)
    if on_timeout:
        on_timeout()
    raise SystemExit("timed out waiting for " + what)


def program_env(work, **extra):
    """The environment for the program with its settings, logs and runtime
    folder in work."""
    env = dict(os.environ)
    for key in ("QT_QPA_PLATFORM", "WAYLAND_DISPLAY", "TIDEWICK_DEVELOPMENT"):
        env.pop(key, None)
    env.update(XDG_DATA_HOME=work, XDG_RUNTIME_DIR=work, XDG_CONFIG_HOME=work, HOME=work, **extra)
    return env
