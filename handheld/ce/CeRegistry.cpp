// Placeholder until the device's registry calls land here.
