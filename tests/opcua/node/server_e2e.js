// End to end through the server program: an independent OPC UA client (node-opcua) against iec101opc, which
// polls the sim101 station simulator. Reads the station's values, then arms a command by writing a status signal.
// Usage: node server_e2e.js '<json>' with
//   {port, user, password, folder, ts: {id, name}, tit: {id, name, value}, silent: {id}, connected, lifebit: {group, id}}
"use strict";

let client;
try {
  client = require("node-opcua-client");
} catch (e) {
  console.log("node-opcua-client is not installed (npm install --prefix tests/opcua/node): skipped");
  process.exit(77);
}
const {
  OPCUAClient, MessageSecurityMode, SecurityPolicy, UserTokenType, AttributeIds, DataType, BrowseDirection,
  ClientSubscription, ClientMonitoredItem, TimestampsToReturn, StatusCodes, DataValue, Variant,
} = client;

const cfg = JSON.parse(process.argv[2] || "{}");
const url = "opc.tcp://127.0.0.1:" + cfg.port;
let failures = 0;
function check(condition, what) {
  console.log((condition ? "ok   " : "FAIL ") + what);
  if (!condition) failures++;
}

function makeClient() {
  return OPCUAClient.create({
    endpointMustExist: false,
    securityMode: MessageSecurityMode.None,
    securityPolicy: SecurityPolicy.None,
    connectionStrategy: { maxRetry: 20, initialDelay: 100, maxDelay: 500 },
    requestedSessionTimeout: 20000,
  });
}

async function browse(session, nodeId) {
  const r = await session.browse({
    nodeId, browseDirection: BrowseDirection.Forward, referenceTypeId: "Organizes", includeSubtypes: true,
    resultMask: 63,
  });
  return r.references || [];
}

async function until(what, ms, probe) {
  const end = Date.now() + ms;
  for (;;) {
    const v = await probe();
    if (v) return v;
    if (Date.now() > end) throw new Error("timed out waiting for " + what);
    await new Promise((r) => setTimeout(r, 100));
  }
}

async function main() {
  const c = makeClient();
  await c.connect(url);

  // Password login: anonymous and wrong passwords are refused.
  let refused = "";
  try { await c.createSession(); } catch (e) { refused = e.message; }
  check(refused !== "", "anonymous login is refused (" + refused.split("\n")[0] + ")");
  refused = "";
  try {
    await c.createSession({ type: UserTokenType.UserName, userName: cfg.user, password: cfg.password + "x" });
  } catch (e) { refused = e.message; }
  check(/BadIdentityTokenRejected/.test(refused), "a wrong password is refused");
  const s = await c.createSession({ type: UserTokenType.UserName, userName: cfg.user, password: cfg.password });

  const top = await browse(s, "i=85");
  const folder = top.find((r) => r.browseName.name === cfg.folder);
  check(folder && folder.nodeId.toString() === "ns=1;i=80001", "the station's folder " + cfg.folder + " is ns=1;i=80001");
  const lifebitFolder = top.find((r) => r.browseName.name === "lifebit");
  check(lifebitFolder && lifebitFolder.nodeId.value === cfg.lifebit.group, "the lifebit folder is group " + cfg.lifebit.group);
  const vars = await browse(s, "ns=1;i=80001");
  const byName = Object.fromEntries(vars.map((r) => [r.browseName.name, r.nodeId.toString()]));
  check(byName[cfg.ts.name] === "ns=1;i=" + cfg.ts.id, "status signal " + cfg.ts.name + " is variable " + cfg.ts.id);
  check(byName[cfg.tit.name] === "ns=1;i=" + cfg.tit.id, "measured value " + cfg.tit.name + " is variable " + cfg.tit.id);
  check(byName["Connected"] === "ns=1;i=" + cfg.connected, "Connected is variable " + cfg.connected);

  // The values the simulator sends, with the server's quality and time.
  const node = (id) => "ns=1;i=" + id;
  const dv = await until("the measured value", 20000, async () => {
    const v = await s.read({ nodeId: node(cfg.tit.id), attributeId: AttributeIds.Value }, TimestampsToReturn.Both);
    return v.statusCode.isGood() ? v : null;
  });
  check(dv.value.dataType === DataType.Double && dv.value.value === cfg.tit.value,
    "measured value reads Double " + cfg.tit.value);
  const age = Date.now() - dv.sourceTimestamp.getTime();
  check(Math.abs(age) < 60000, "its source time stamp is the publication time (" + age + " ms old)");
  const read = await s.read([
    { nodeId: node(cfg.ts.id), attributeId: AttributeIds.Value },
    { nodeId: node(cfg.connected), attributeId: AttributeIds.Value },
    { nodeId: node(cfg.silent.id), attributeId: AttributeIds.Value },
    { nodeId: node(cfg.lifebit.id), attributeId: AttributeIds.Value },
    { nodeId: node(cfg.ts.id), attributeId: AttributeIds.AccessLevel },
  ]);
  check(read[0].value.dataType === DataType.Boolean && read[0].value.value === false && read[0].statusCode.isGood(),
    "status signal reads Boolean false, good");
  check(read[1].value.value === true, "Connected reads true");
  check(read[2].statusCode.isBad(), "a value the station never sends reads bad");
  check(read[3].value.dataType === DataType.Int32 && read[3].value.value >= 0 && read[3].value.value <= 59,
    "lifebit reads the seconds of the time");
  check((read[4].value.value & 3) === 3, "the status signal is writable");

  // A write to the measured value is refused; a write to the status signal arms its command, and the new
  // state comes back from the station.
  const sub = ClientSubscription.create(s, { requestedPublishingInterval: 100, requestedMaxKeepAliveCount: 10,
    requestedLifetimeCount: 100, publishingEnabled: true });
  const item = ClientMonitoredItem.create(sub, { nodeId: node(cfg.ts.id), attributeId: AttributeIds.Value },
    { samplingInterval: 100, queueSize: 10 }, TimestampsToReturn.Both);
  const seen = [];
  item.on("changed", (v) => seen.push(v.value.value));
  await until("the first notification", 5000, async () => seen.length > 0);
  const refusedWrite = await s.write({ nodeId: node(cfg.tit.id), attributeId: AttributeIds.Value,
    value: new DataValue({ value: new Variant({ dataType: DataType.Double, value: 1 }) }) });
  check(refusedWrite.value === StatusCodes.BadNotWritable.value, "a measured value is not writable");
  const written = await s.write({ nodeId: node(cfg.ts.id), attributeId: AttributeIds.Value,
    value: new DataValue({ value: new Variant({ dataType: DataType.Boolean, value: true }) }) });
  check(written.isGood(), "writing true to the status signal succeeds");
  console.log("written");
  await until("the new state", 20000, async () => seen.includes(true));
  check(true, "the status signal turns true after the command");

  await sub.terminate();
  await s.close();
  await c.disconnect();
}

main().then(() => process.exit(failures ? 1 : 0), (e) => {
  console.log("FAIL " + e.message);
  process.exit(1);
});
